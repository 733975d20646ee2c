#include "app/qt_prompter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <string>

#include "gui_helpers.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace rostrel::testing {
namespace {

struct FilterCase {
  std::string filter;
  QStringList expected;
};

TEST(NameFilters, TurnLabelAndPatternPairsIntoQtFilters) {
  const FilterCase cases[] = {
      {"LXF (*.lxf)|*.lxf", {"LXF (*.lxf)"}},
      {"LEF (*.lxf)|*.lxf", {"LEF (*.lxf)"}},
      {"Pliki LXF|*.lxf", {"Pliki LXF (*.lxf)"}},
      {"Archiwa|*.lxf;*.zip|Wszystkie (*.*)|*.*", {"Archiwa (*.lxf *.zip)", "Wszystkie (*.*)"}},
      {"Inne (*.zip)|*.lxf", {"Inne (*.zip) (*.lxf)"}},
      {"", {}},
  };
  for (const FilterCase& c : cases) EXPECT_EQ(NameFilters(c.filter), c.expected) << c.filter;
}

struct BoxCase {
  const char* name;
  Icon icon;
  Buttons buttons;
  std::string title;
  QMessageBox::StandardButton press;
  QMessageBox::Icon qtIcon;
  QString qtTitle;
  Answer answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class MessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBox, ShowsIconButtonsTitleAndText) {
  const BoxCase& c = GetParam();
  QMessageBox::Icon icon{};
  QString title, text, cancelCaption;
  QMessageBox::StandardButtons buttons;
  bool okIsDefault = false;
  const auto handled = WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) modal->close();  // so that the test fails at once, not at its time limit
    ASSERT_NE(box, nullptr) << modal->metaObject()->className();
    icon = box->icon();
    title = box->windowTitle();
    text = box->text();
    buttons = box->standardButtons();
    okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
    if (box->button(QMessageBox::Cancel)) cancelCaption = box->button(QMessageBox::Cancel)->text();
    QTest::mouseClick(box->button(c.press), Qt::LeftButton);
  });
  QtPrompter prompter;
  const Answer answer =
      prompter.message("Pierwszy wiersz <b>\r\nDrugi wiersz", c.title, c.icon, c.buttons);
  ASSERT_TRUE(*handled);
  EXPECT_EQ(answer, c.answer);
  EXPECT_EQ(icon, c.qtIcon);
  EXPECT_EQ(title, c.qtTitle);
  EXPECT_EQ(text, "Pierwszy wiersz <b>\nDrugi wiersz");
  EXPECT_TRUE(okIsDefault);
  if (c.buttons == Buttons::OkCancel) {
    EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(cancelCaption, "Anuluj");  // Qt's own Polish translation is loaded
  } else {
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MessageBox,
    ::testing::Values(BoxCase{"Stop", Icon::Stop, Buttons::Ok, "Rostrel", QMessageBox::Ok,
                              QMessageBox::Critical, "Rostrel", Answer::Ok},
                      BoxCase{"Warning", Icon::Warning, Buttons::Ok, "error", QMessageBox::Ok,
                              QMessageBox::Warning, "error", Answer::Ok},
                      BoxCase{"Information", Icon::Information, Buttons::Ok, "", QMessageBox::Ok,
                              QMessageBox::Information, "Rostrel", Answer::Ok},
                      BoxCase{"ConfirmOk", Icon::None, Buttons::OkCancel,
                              "Potwierdź nadpisanie pliku", QMessageBox::Ok, QMessageBox::NoIcon,
                              "Potwierdź nadpisanie pliku", Answer::Ok},
                      BoxCase{"ConfirmCancel", Icon::None, Buttons::OkCancel,
                              "Potwierdź nadpisanie pliku", QMessageBox::Cancel,
                              QMessageBox::NoIcon, "Potwierdź nadpisanie pliku", Answer::Cancel}),
    [](const auto& info) { return std::string(info.param.name); });

// What the file dialog looked like, and what the test typed into it.
struct DialogSeen {
  QFileDialog::FileMode mode{};
  QStringList filters;
  QString selectedFilter, suffix, directory, offered, acceptCaption, warning;
};

// Shows `settings` through the Qt prompter, types `typed` into the name box and accepts it
// (or cancels when `typed` is empty).
DialogSeen Show(FileDialogSettings& settings, const QString& typed) {
  DialogSeen seen;
  const auto handled = WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) modal->close();
    ASSERT_NE(dialog, nullptr) << modal->metaObject()->className();
    seen.mode = dialog->fileMode();
    seen.filters = dialog->nameFilters();
    seen.selectedFilter = dialog->selectedNameFilter();
    seen.suffix = dialog->defaultSuffix();
    seen.directory = dialog->directory().absolutePath();
    seen.acceptCaption = dialog->labelText(QFileDialog::Accept);
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    seen.offered = name ? name->text() : "<no name box>";
    if (typed.isEmpty() || !name) {
      dialog->reject();
      return;
    }
    // Typing replaces the file selected in the dialog's list only when the name box has the
    // focus, which it gets once the dialog has become the active window.
    EXPECT_TRUE(QTest::qWaitFor([name] { return name->hasFocus(); }))
        << "the name box never had it";
    name->selectAll();
    QTest::keyClicks(name, typed);
    static_cast<QDialog*>(dialog)->accept();    // as the "Otwórz" button does
    if (dialog->isVisible()) dialog->reject();  // it refused what was typed
  });
  // The dialog's own warning about a missing file is answered, and its text kept.
  QTimer warnings;
  warnings.setInterval(5);
  QObject::connect(&warnings, &QTimer::timeout, [&seen] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      seen.warning = box->text();
      box->accept();
    }
  });
  warnings.start();
  QtPrompter prompter;
  prompter.showOpen(settings);
  EXPECT_TRUE(*handled);
  return seen;
}

// The tests type into Qt's own file dialog; on Windows the program shows Windows' own dialog,
// which they cannot reach.
#ifdef _WIN32
constexpr bool kNativeFileDialog = true;
#else
constexpr bool kNativeFileDialog = false;
#endif
constexpr const char* kNativeFileDialogReason =
    "Windows' own file dialog is shown there, which the test cannot type into";

TEST(FileDialog, HonoursTheSettingsOfComIN) {
  if (kNativeFileDialog) GTEST_SKIP() << kNativeFileDialogReason;
  TempDir dir("rostrel-dialog");
  WriteBytes(dir.file("baza.lxf"), "x");
  WriteBytes(dir.file("zawody.lxf"), "x");
  FileDialogSettings settings{".lxf", "A (*.a)|*.a|LXF (*.lxf)|*.lxf", 2, 0x81000,
                              dir.file("zawody.lxf")};
  const DialogSeen seen = Show(settings, "baza");
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);
  EXPECT_EQ(seen.filters, QStringList({"A (*.a)", "LXF (*.lxf)"}));
  EXPECT_EQ(seen.selectedFilter, "LXF (*.lxf)");
  EXPECT_EQ(seen.suffix, "lxf");
  EXPECT_EQ(seen.directory, QDir(QString::fromStdString(dir.path())).absolutePath());
  EXPECT_EQ(seen.offered, "zawody.lxf");
  EXPECT_EQ(QString(seen.acceptCaption).remove('&'), "Otwórz");
  // The default extension completes the typed name.
  EXPECT_EQ(settings.fileName, dir.file("baza.lxf"));
}

TEST(FileDialog, CancelEmptiesTheNameAndAMissingFileIsRefused) {
  if (kNativeFileDialog) GTEST_SKIP() << kNativeFileDialogReason;
  TempDir dir("rostrel-dialog");
  WriteBytes(dir.file("baza.lxf"), "x");
  FileDialogSettings settings{".lxf", "LXF (*.lxf)|*.lxf", 1, 0x81000, dir.file("baza.lxf")};
  Show(settings, "");
  EXPECT_EQ(settings.fileName, "");

  settings.fileName = dir.file("baza.lxf");
  const DialogSeen seen = Show(settings, "nie-ma-takiego");
  // Qt's own warning, in its Polish translation.
  EXPECT_EQ(seen.warning.toStdString(),
            "nie-ma-takiego.lxf\nBrak pliku.\nSprawdź podaną nazwę pliku.");
  EXPECT_EQ(settings.fileName, "");
}

TEST(FileDialog, WithoutTheMustExistFlagAnyNameIsTaken) {
  if (kNativeFileDialog) GTEST_SKIP() << kNativeFileDialogReason;
  TempDir dir("rostrel-dialog");
  FileDialogSettings settings{".lxf", "LXF (*.lxf)|*.lxf", 1, 0x80000, dir.path()};
  const DialogSeen seen = Show(settings, "nowy");
  EXPECT_EQ(seen.mode, QFileDialog::AnyFile);
  EXPECT_EQ(settings.fileName, dir.file("nowy.lxf"));
}

// A button's work shows the wait cursor; a message asked in the middle of it shows the normal
// one, and the wait cursor comes back afterwards.
TEST(Prompts, ShowTheNormalCursorOverTheWaitCursor) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Qt::CursorShape during = Qt::WaitCursor;
  const auto handled = WhenModal([&](QWidget* modal) {
    if (QApplication::overrideCursor()) during = QApplication::overrideCursor()->shape();
    modal->close();
  });
  QtPrompter prompter;
  prompter.message("Czekaj", "Rostrel", Icon::Information, Buttons::Ok);
  ASSERT_TRUE(*handled);
  EXPECT_EQ(during, Qt::ArrowCursor);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QApplication::restoreOverrideCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace rostrel::testing
