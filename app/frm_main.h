#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "common/clubs_section.h"
#include "common/prompter.h"

class QListView;
class QPushButton;
class QStringListModel;

namespace rostrel {

struct OpenOutcome;

// The main window: opening the athlete database on the left, the transfer ">>" in the middle,
// pasting into an entries file on the right. It owns the run's state: the database path, the
// database's clubs section and the file dialog's settings.
class frmMain : public QWidget {
  Q_OBJECT
 public:
  explicit frmMain(Prompter& prompter, QWidget* parent = nullptr);

  // The load step: shows the start window modally and returns when it has been closed.
  void Load();

  const std::string& dbFile() const { return DbFile; }
  const std::string& clubsText() const { return ClubsText.text; }
  const FileDialogSettings& dialog() const { return comIN; }
  // Whether the last paste replaced the entries file; the window shows nothing of it.
  bool pasteReplacedFile() const { return pasteReplaced_; }

 private slots:
  void CmdOpenIN_Click();
  void ComGetAll_Click();
  void CmdSaveOUT_Click();
  void test_Click();

 private:
  void ApplyOpenOutcome(OpenOutcome& outcome);

  Prompter& prompter_;
  std::string DbFile;
  ClubsSection ClubsText;  // the open database's clubs section, with what its reading found
  FileDialogSettings comIN;
  bool pasteReplaced_ = false;

  QPushButton* CmdOpenIN;
  QListView* lstIN;
  QStringListModel* lstINLines_;
  QPushButton* ComGetAll;
  QPushButton* test;
  QPushButton* CmdSaveOUT;
  QListView* lstOUT;
  QStringListModel* lstOUTLines_;
};

// A list box as the main window shows it: disabled for good, it only displays its lines.
QListView* MakeDisplayList(QWidget* parent, const QString& name, QStringListModel* lines);

// Puts display lines into a list, replacing what it held.
void SetListLines(QStringListModel* lines, const std::vector<std::string>& utf8Lines);

}  // namespace rostrel
