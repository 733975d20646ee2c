#include "app/frm_main.h"

#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

#include "app/frm_start.h"
#include "app/looks.h"
#include "athletes/open_action.h"
#include "entries/paste_action.h"

namespace rostrel {
namespace {

// Shows the wait cursor for the length of a button's work.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// The main window's buttons, each lettered in its own size of the one typeface.
QPushButton* MakeMainButton(QWidget* parent, const QString& name, const QString& caption,
                            const QRect& twips, const QFont& font, const QColor& background) {
  QPushButton* button = MakeButton(parent, name, caption, twips, background);
  button->setFont(font);
  return button;
}

}  // namespace

QListView* MakeDisplayList(QWidget* parent, const QString& name, QStringListModel* lines) {
  auto* list = new QListView(parent);
  list->setObjectName(name);
  list->setModel(lines);
  // Every line has the same height; without this the view measures each of 100,000 lines.
  list->setUniformItemSizes(true);  // speed only, which the benchmark measures: it shows the same
  list->setSelectionMode(QAbstractItemView::NoSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setFocusPolicy(Qt::NoFocus);
  // Greyed like any disabled control, yet dark enough to read.
  list->setStyleSheet(QStringLiteral(
      "QListView { background-color: rgb(224, 224, 224); color: rgb(96, 96, 96); }"));
  list->setEnabled(false);
  return list;
}

void SetListLines(QStringListModel* lines, const std::vector<std::string>& utf8Lines) {
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(utf8Lines.size()));
  for (const std::string& line : utf8Lines)
    texts.append(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
  lines->setStringList(texts);
}

frmMain::frmMain(Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      prompter_(prompter) {
  SetUpWindow(this, QStringLiteral("frmMain"), QStringLiteral("..::Kestova::.. Rostrel"),
              QSize(10665, 6630), QColor(224, 224, 224));

  // Made in the tab order: list, open, list, transfer, paste, "?". The lists never take the
  // focus, so Tab goes between the enabled buttons only.
  const QColor green(0, 255, 0);
  lstINLines_ = new QStringListModel(this);
  lstIN = MakeDisplayList(this, QStringLiteral("lstIN"), lstINLines_);
  PlaceInTwips(lstIN, QRect(240, 840, 4695, 5685));
  CmdOpenIN = MakeMainButton(this, QStringLiteral("CmdOpenIN"),
                             QStringLiteral("Otwórz plik LXF (baza zawodników)"),
                             QRect(240, 120, 4695, 615), CourierFont(8.25), green);
  lstOUTLines_ = new QStringListModel(this);
  lstOUT = MakeDisplayList(this, QStringLiteral("lstOUT"), lstOUTLines_);
  PlaceInTwips(lstOUT, QRect(5760, 840, 4695, 5685));
  ComGetAll = MakeMainButton(this, QStringLiteral("ComGetAll"), QStringLiteral(">>"),
                             QRect(5040, 2760, 615, 855), CourierFont(12, true), green);
  CmdSaveOUT =
      MakeMainButton(this, QStringLiteral("CmdSaveOUT"),
                     QStringLiteral("Wklej zawodników do pliku zgłoszenia LXF"),
                     QRect(5760, 120, 4695, 615), CourierFont(8.25), QColor(255, 128, 128));
  test = MakeMainButton(this, QStringLiteral("test"), QStringLiteral("?"),
                        QRect(5040, 5880, 615, 615), CourierFont(9.75), QColor(128, 255, 128));

  ComGetAll->setEnabled(false);
  CmdSaveOUT->setEnabled(false);

  CmdOpenIN->setFocus();

  connect(CmdOpenIN, &QPushButton::clicked, this, &frmMain::CmdOpenIN_Click);
  connect(ComGetAll, &QPushButton::clicked, this, &frmMain::ComGetAll_Click);
  connect(CmdSaveOUT, &QPushButton::clicked, this, &frmMain::CmdSaveOUT_Click);
  connect(test, &QPushButton::clicked, this, &frmMain::test_Click);
}

void frmMain::Load() { test_Click(); }

void frmMain::test_Click() {
  // A fresh start window every time, with no owner, as at start-up.
  frmStart notice;
  CentreOnScreen(&notice);
  notice.exec();
}

void frmMain::CmdOpenIN_Click() {
  OpenOutcome outcome;
  {
    WaitCursor wait;
    outcome = OpenDatabase(prompter_, comIN);
  }
  ApplyOpenOutcome(outcome);
}

void frmMain::ApplyOpenOutcome(OpenOutcome& outcome) {
  DbFile = outcome.dbFile;
  if (outcome.clubsChanged) ClubsText = std::move(outcome.clubs);
  // The right list always shows exactly what a paste would write, so every open starts the
  // right side afresh: the paste is offered again only after ">>".
  lstOUTLines_->setStringList({});
  CmdSaveOUT->setEnabled(false);
  const bool found = outcome.kind == OpenOutcome::AthletesFound;
  if (found) {
    SetListLines(lstINLines_, outcome.displayLines);
  } else {
    lstINLines_->setStringList({});
  }
  ComGetAll->setEnabled(found);
}

void frmMain::ComGetAll_Click() {
  lstOUTLines_->setStringList(lstINLines_->stringList());
  lstOUT->clearSelection();
  lstOUT->setCurrentIndex(QModelIndex());
  CmdSaveOUT->setEnabled(true);
}

void frmMain::CmdSaveOUT_Click() {
  WaitCursor wait;
  pasteReplaced_ = PasteEntries(prompter_, comIN, DbFile, ClubsText);
}

}  // namespace rostrel
