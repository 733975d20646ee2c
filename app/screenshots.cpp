// Saves pictures of both windows for the README and the manual: frmStart.png, and frmMain.png
// with a database opened and its athletes copied to the right; then, with a database, one refusal
// as the program shows it, refusal.png: the paste is given the database itself as the entries
// file, and the program's own message box says no.
//   rostrel_screenshots OUTPUT_DIR [DATABASE.lxf]
// The database is copied into a temporary folder first, so the sample file is never touched.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "app/frm_main.h"
#include "app/frm_start.h"
#include "app/qt_prompter.h"
#include "app/startup.h"
#include "common/prompter.h"

namespace {

// Picks the one database whenever a file is asked for. Until `showMessages` is set, it reports
// any message, which would spoil the pictures of the windows; then it shows them in the
// program's own message boxes.
class PickingPrompter : public rostrel::QtPrompter {
 public:
  explicit PickingPrompter(std::string pick) : pick_(std::move(pick)) {}
  rostrel::Answer message(const std::string& text, const std::string& title, rostrel::Icon icon,
                          rostrel::Buttons buttons) override {
    if (showMessages) return QtPrompter::message(text, title, icon, buttons);
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return rostrel::Answer::Ok;
  }
  void showOpen(rostrel::FileDialogSettings& dialog) override { dialog.fileName = pick_; }

  bool showMessages = false;

 private:
  std::string pick_;
};

bool Save(QWidget& window, const QString& path) {
  window.show();
  QApplication::processEvents();
  const bool saved = window.grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  rostrel::SetUpApplication(app);
  const QStringList args = QApplication::arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: rostrel_screenshots OUTPUT_DIR [DATABASE.lxf]\n");
    return 2;
  }
  const QDir out(args[1]);
  bool ok = true;

  rostrel::frmStart notice;
  ok &= Save(notice, out.filePath(QStringLiteral("frmStart.png")));
  notice.hide();

  QTemporaryDir work;
  std::string database;
  if (args.size() > 2) {
    const QString copy = work.filePath(QFileInfo(args[2]).fileName());
    if (!QFile::copy(args[2], copy)) {
      std::fprintf(stderr, "cannot copy %s\n", qPrintable(args[2]));
      return 1;
    }
    database = QDir::toNativeSeparators(copy).toStdString();
  }
  PickingPrompter prompter(database);
  rostrel::frmMain window(prompter);
  window.show();
  if (!database.empty()) {
    window.findChild<QPushButton*>(QStringLiteral("CmdOpenIN"))->click();
    window.findChild<QPushButton*>(QStringLiteral("ComGetAll"))->click();
  }
  ok &= Save(window, out.filePath(QStringLiteral("frmMain.png")));
  if (database.empty()) return ok ? 0 : 1;

  // The paste refuses the database as the entries file; its message box is saved as it shows
  // and closed. The confirmation, had it come, would be saved instead and answered "Anuluj".
  bool refused = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    watch.stop();
    refused = box->standardButtons() == QMessageBox::Ok;
    ok &= Save(*box, out.filePath(QStringLiteral("refusal.png")));
    QAbstractButton* answer = box->button(QMessageBox::Cancel);
    (answer ? answer : box->button(QMessageBox::Ok))->click();
  });
  watch.start(50);
  prompter.showMessages = true;
  window.findChild<QPushButton*>(QStringLiteral("CmdSaveOUT"))->click();
  if (!refused) std::fprintf(stderr, "the paste showed no refusal\n");
  return ok && refused ? 0 : 1;
}
