#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringListModel>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/frm_main.h"
#include "app/frm_start.h"
#include "app/startup.h"
#include "gui_helpers.h"
#include "support/fake_prompter.h"
#include "window_fixture.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace rostrel::testing {
namespace {

// Twips to pixels at 96 dots per inch.
int Px(int twips) { return qRound(twips / 15.0); }

const std::string kNoticeText =
    "Autor programu dołożył NAJWIĘKSZYCH starań, aby program \r\n"
    "działał prawidłowo w zakresie technicznym i merytorycznym. \r\n"
    "Ponieważ program jest tworem myśli ludzkiej, nie można \r\n"
    "wykluczyć, że nie jest wolny od błędów. Z tego powodu autor \r\n"
    "nie ponosi żadnej odpowiedzialności za jakiekolwiek szkody \r\n"
    "materialne i niematerialne. \r\n";

// What the notice box holds, with its line ends as the program carries them.
std::string NoticeShown(const QWidget& start) {
  const auto* text = Child<QPlainTextEdit>(start, "Text1");
  return text ? text->toPlainText().replace("\n", "\r\n").toStdString() : "<no Text1>";
}

TEST(StartWindow, HoldsTheSixLinesOfTheNoticeByteForByte) {
  EXPECT_EQ(std::string(frmStart::kNotice), kNoticeText);
  frmStart start;
  EXPECT_EQ(NoticeShown(start), kNoticeText);
  const auto* text = Child<QPlainTextEdit>(start, "Text1");
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

// A control given the focus, or the window itself, that keys are pressed on.
struct KeyCase {
  const char* window;
  const char* target;
  bool enterPresses;  // Enter and the keypad's Enter press it
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.target; }

class Keys : public ::testing::TestWithParam<KeyCase> {};

// Enter and the keypad's Enter press the focused button of either window; anywhere else, and
// Escape anywhere, they press nothing, as neither window has a default button, and the notice
// stays open. The presses a held Enter repeats press nothing either. Its "OK" and close box close
// it as well: see StartUp below.
TEST_P(Keys, EnterPressesTheFocusedButtonAndNothingElse) {
  const KeyCase& c = GetParam();
  // Each key with its modifier, and whether it comes as a held key repeats it.
  for (const auto& [key, modifier, repeated] : {std::tuple{Qt::Key_Return, Qt::NoModifier, false},
                                                {Qt::Key_Enter, Qt::KeypadModifier, false},
                                                {Qt::Key_Return, Qt::NoModifier, true},
                                                {Qt::Key_Escape, Qt::NoModifier, false}}) {
    SCOPED_TRACE(::testing::Message() << key << (repeated ? " repeated" : ""));
    FakePrompter prompter;
    frmMain main(prompter);
    frmStart start;
    QWidget& window = std::string(c.window) == "frmMain" ? static_cast<QWidget&>(main) : start;
    std::vector<std::string> pressed;
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
      button->setEnabled(true);
      QObject::connect(button, &QPushButton::clicked, [&pressed, button] {
        pressed.push_back(button->objectName().toStdString());
      });
    }
    // The keys go straight to the target, so the test does not wait for the window system to
    // activate the window (Wine does not activate a tool window shown on its own).
    window.show();
    QWidget* target = window.objectName() == c.target ? &window : Child(window, c.target);
    target->setFocus();
    ASSERT_TRUE(target == &window || window.focusWidget() == target);
    const bool presses = c.enterPresses && key != Qt::Key_Escape && !repeated;
    if (presses && std::string(c.target) == "test") WhenModal([](QWidget* w) { w->close(); });
    repeated ? QTest::simulateEvent(target, true, key, modifier, QString(), true)
             : QTest::keyClick(target, key, modifier);
    EXPECT_EQ(pressed, presses ? std::vector<std::string>{c.target} : std::vector<std::string>{});
    EXPECT_EQ(start.isVisible(), &window == &start && !presses);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EnterAndEscape, Keys,
    ::testing::Values(KeyCase{"frmMain", "CmdOpenIN", true}, KeyCase{"frmMain", "ComGetAll", true},
                      KeyCase{"frmMain", "CmdSaveOUT", true}, KeyCase{"frmMain", "test", true},
                      KeyCase{"frmMain", "frmMain", false}, KeyCase{"frmStart", "cmdOK", true},
                      KeyCase{"frmStart", "Text1", false}, KeyCase{"frmStart", "frmStart", false}),
    [](const auto& info) { return std::string(info.param.target); });

struct WindowCase {
  const char* name;
  std::string caption;
  int clientWidth, clientHeight;  // twips
  QColor background;
  bool tool;
};

TEST(Windows, CaptionFrameSizeColourAndIcon) {
  FakePrompter prompter;
  frmMain main(prompter);
  frmStart start;
  main.show();
  start.show();
  const std::vector<std::pair<QWidget*, WindowCase>> cases = {
      {&main, {"frmMain", "..::Kestova::.. Rostrel", 10665, 6630, QColor(224, 224, 224), false}},
      {&start, {"frmStart", "..::Kestova::.. - Rostrel", 6825, 6360, QColor(255, 255, 0), true}},
  };
  for (const auto& [window, c] : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(window->objectName().toStdString(), c.name);
    EXPECT_EQ(window->windowTitle().toStdString(), c.caption);
    EXPECT_EQ(window->size(), QSize(Px(c.clientWidth), Px(c.clientHeight)));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, c.tool ? Qt::Tool : Qt::Window);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(ColourAt(window, QPoint(3, 3)), c.background);
    EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(32, 32)));
  }
  EXPECT_EQ(QApplication::applicationName(), "Rostrel");
  EXPECT_EQ(QApplication::applicationVersion(), "3.01");
}

struct ControlCase {
  const char* window;
  const char* name;
  const char* caption;           // nullptr for the lists and the notice
  int left, top, width, height;  // twips
  double points;                 // 0: the window's default font
  bool bold;
  QColor background;
  bool enabledAtStart;
};

const ControlCase kControls[] = {
    {"frmMain", "CmdOpenIN", "Otwórz plik LXF (baza zawodników)", 240, 120, 4695, 615, 8.25, false,
     QColor(0, 255, 0), true},
    {"frmMain", "lstIN", nullptr, 240, 840, 4695, 5685, 0, false, QColor(224, 224, 224), false},
    {"frmMain", "ComGetAll", ">>", 5040, 2760, 615, 855, 12, true, QColor(0, 255, 0), false},
    {"frmMain", "test", "?", 5040, 5880, 615, 615, 9.75, false, QColor(128, 255, 128), true},
    {"frmMain", "CmdSaveOUT", "Wklej zawodników do pliku zgłoszenia LXF", 5760, 120, 4695, 615,
     8.25, false, QColor(255, 128, 128), false},
    {"frmMain", "lstOUT", nullptr, 5760, 840, 4695, 5685, 0, false, QColor(224, 224, 224), false},
    {"frmStart", "Text1", nullptr, 165, 113, 6495, 5415, 8.25, false, QColor(255, 255, 128), true},
    {"frmStart", "cmdOK", "OK", 3000, 5760, 840, 495, 0, false, QColor(0, 255, 0), true},
};

void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class Control : public ::testing::TestWithParam<ControlCase> {};

TEST_P(Control, SitsWhereDesignedWithItsCaptionFontColourAndState) {
  const ControlCase& c = GetParam();
  FakePrompter prompter;
  frmMain main(prompter);
  frmStart start;
  QWidget& window = std::string(c.window) == "frmMain" ? static_cast<QWidget&>(main) : start;
  window.show();
  QWidget* w = Child(window, c.name);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->geometry(), QRect(Px(c.left), Px(c.top), Px(c.width), Px(c.height)));
  if (c.caption) {
    EXPECT_EQ(static_cast<QPushButton*>(w)->text().toStdString(), c.caption);
  }
  if (c.points > 0) {
    EXPECT_EQ(w->font().family().toStdString(), "Courier New");
    EXPECT_DOUBLE_EQ(w->font().pointSizeF(), c.points);
    EXPECT_EQ(w->font().bold(), c.bold);
  } else {
    EXPECT_EQ(w->font(), QApplication::font(w));
  }
  EXPECT_EQ(w->isEnabled(), c.enabledAtStart);
  // Inside the border, away from the caption, the control shows its background.
  EXPECT_EQ(ColourAt(w, QPoint(4, w->height() - 5)), c.background);
  if (auto* button = qobject_cast<QPushButton*>(w)) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
    button->setEnabled(!c.enabledAtStart);  // the colour stays either way
    EXPECT_EQ(ColourAt(w, QPoint(4, w->height() - 5)), c.background);
  }
}

INSTANTIATE_TEST_SUITE_P(AllControls, Control, ::testing::ValuesIn(kControls),
                         [](const auto& info) { return std::string(info.param.name); });

// Windows has Courier New itself; Debian has not, nor has Wine, and Liberation Mono stands in.
TEST(Windows, CourierNewFallsBackToLiberationMono) {
  EXPECT_TRUE(QFont::substitutes("Courier New").contains("Liberation Mono", Qt::CaseInsensitive));
#ifdef _WIN32
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  const std::string expected = wine ? "Liberation Mono" : "Courier New";
#else
  const std::string expected = "Liberation Mono";
#endif
  EXPECT_EQ(QFontInfo(QFont("Courier New")).family().toStdString(), expected);
}

TEST(MainWindow, TabGoesOverTheEnabledButtonsInDesignOrder) {
  FakePrompter prompter;
  frmMain main(prompter);
  main.show();
  QApplication::setActiveWindow(&main);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));

  const std::vector<std::string> design = {"lstIN",     "CmdOpenIN",  "lstOUT",
                                           "ComGetAll", "CmdSaveOUT", "test"};
  std::vector<std::string> chain;
  QWidget* first = Child(main, "lstIN");
  for (QWidget* w = first; chain.size() < design.size(); w = w->nextInFocusChain()) {
    const std::string name = w->objectName().toStdString();
    if (std::find(design.begin(), design.end(), name) != design.end()) chain.push_back(name);
    if (w->nextInFocusChain() == first) break;
  }
  EXPECT_EQ(chain, design);

  const auto focused = [] {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                       : std::string("<none>");
  };
  EXPECT_EQ(focused(), "CmdOpenIN");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(focused(), "test");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(focused(), "CmdOpenIN");
}

// How the start window is closed: with "OK", or with its close box.
struct Closer {
  const char* name;
  std::function<void(QWidget*)> close;
};

void PrintTo(const Closer& c, std::ostream* os) { *os << c.name; }

class StartUp : public ::testing::TestWithParam<Closer> {};

TEST_P(StartUp, ShowsTheStartWindowAloneAndModallyThenTheMainWindow) {
  FakePrompter prompter;
  frmMain main(prompter);
  struct Seen {
    std::string window, focus;
    bool mainVisible = true, appModal = false, hasOwner = true;
    QPoint centre;
  } seen;
  const auto handled = WhenModal([&](QWidget* modal) {
    seen.window = modal->objectName().toStdString();
    seen.mainVisible = main.isVisible();
    seen.appModal = modal->windowModality() == Qt::ApplicationModal;
    seen.hasOwner = modal->parentWidget() != nullptr;
    seen.focus = modal->focusWidget() ? modal->focusWidget()->objectName().toStdString() : "";
    seen.centre = modal->geometry().center();
    GetParam().close(modal);
  });
  RunStartUp(main);

  ASSERT_TRUE(*handled);
  EXPECT_EQ(seen.window, "frmStart");
  EXPECT_FALSE(seen.mainVisible);
  EXPECT_TRUE(seen.appModal);
  EXPECT_FALSE(seen.hasOwner);
  EXPECT_EQ(seen.focus, "Text1");
  EXPECT_TRUE(main.isVisible());

  const QPoint screenCentre = main.screen()->availableGeometry().center();
  EXPECT_LE((seen.centre - screenCentre).manhattanLength(), 3);
  EXPECT_LE((main.geometry().center() - screenCentre).manhattanLength(), 3);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_TRUE(prompter.dialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(Closers, StartUp,
                         ::testing::Values(Closer{"ByOk",
                                                  [](QWidget* w) {
                                                    QTest::mouseClick(Child(*w, "cmdOK"),
                                                                      Qt::LeftButton);
                                                  }},
                                           Closer{"ByCloseBox", [](QWidget* w) { w->close(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

// The state of the main window that no notice may change.
struct MainState {
  std::vector<std::string> in, out;
  bool getAll, saveOut, openIn, test;
  std::string dbFile, clubsText;
  bool operator==(const MainState&) const = default;
};

MainState StateOf(const frmMain& w) {
  return {Lines(w, "lstIN"),
          Lines(w, "lstOUT"),
          Enabled(w, "ComGetAll"),
          Enabled(w, "CmdSaveOUT"),
          Enabled(w, "CmdOpenIN"),
          Enabled(w, "test"),
          w.dbFile(),
          w.clubsText()};
}

using NoticeAgain = WindowTest;

TEST_F(NoticeAgain, QuestionMarkShowsAFreshFullNoticeAndChangesNothing) {
  Open(Example("baza-cp1250.lxf", "baza"));
  Click(window, "ComGetAll");
  const MainState before = StateOf(window);
  ASSERT_EQ(before.in, kBazaLines);

  for (int time = 1; time <= 2; ++time) {
    SCOPED_TRACE(time);
    std::string notice;
    bool selected = true;
    const auto handled = WhenModal([&](QWidget* modal) {
      auto* text = Child<QPlainTextEdit>(*modal, "Text1");
      notice = NoticeShown(*modal);
      selected = text->textCursor().hasSelection();
      text->selectAll();  // what a user may leave behind; the next notice starts afresh
      text->setPlainText("zmieniony");  // even a changed box must not carry over
      QTest::mouseClick(Child(*modal, "cmdOK"), Qt::LeftButton);
    });
    Click(window, "test");
    ASSERT_TRUE(*handled);
    EXPECT_EQ(notice, kNoticeText);
    EXPECT_FALSE(selected);
    EXPECT_EQ(StateOf(window), before);
  }
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(WindowTest, ClosingTheMainWindowEndsTheProgramAndTouchesNoFile) {
  const std::string db = Example("baza-utf8.lxf", "baza");
  Open(db);
  Click(window, "ComGetAll");
  const auto before = Snapshot(dir.fs() / "baza");
  const size_t messages = prompter.messages.size();

  fileops::FailAtCall(1000000, 5);  // counts the file operations from here on
  QTimer::singleShot(0, &window, [this] { window.close(); });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
  guard.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);  // the event loop ended because the last window closed
  EXPECT_EQ(fileops::CallCount(), 0);
  EXPECT_EQ(Snapshot(dir.fs() / "baza"), before);
  EXPECT_EQ(prompter.messages.size(), messages);
}

TEST_F(WindowTest, ListsTakeNoClickNoFocusNoSelectionAndNoScrolling) {
  Open(Example("baza-cp1250.lxf", "baza"));
  Click(window, "ComGetAll");
  for (const char* name : {"lstIN", "lstOUT"}) {
    SCOPED_TRACE(name);
    auto* list = Child<QListView>(window, name);
    ASSERT_EQ(list->model()->rowCount(), 8);
    const QPoint line = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
    EXPECT_FALSE(list->isEnabled());
    EXPECT_FALSE(list->hasFocus());
    EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_FALSE(list->currentIndex().isValid());
  }
}

TEST(Lists, HoldAHundredThousandLinesAndScrollNot) {
  QWidget window;
  window.resize(400, 300);
  auto* lines = new QStringListModel(&window);
  QListView* list = MakeDisplayList(&window, "lstIN", lines);
  list->setGeometry(0, 0, 313, 379);
  window.show();
  std::vector<std::string> many;
  for (int i = 0; i < 100000; ++i) many.push_back(std::to_string(i) + " Łęcki Ścibor 2007-12-24");

  // How fast they show is measured by the benchmark; here only that they all arrive.
  SetListLines(lines, many);
  list->repaint();
  ASSERT_EQ(lines->rowCount(), 100000);
  EXPECT_EQ(lines->index(99999, 0).data().toString().toStdString(), many.back());

  const int top = list->verticalScrollBar()->value();
  QWheelEvent wheel(QPointF(50, 50), list->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list->viewport(), &wheel);
  EXPECT_EQ(list->verticalScrollBar()->value(), top);
}

// Notes the cursor at every prompt: the window's work runs under the wait cursor.
class CursorWatcher : public FakePrompter {
 public:
  void showOpen(FileDialogSettings& dialog) override {
    shapes.push_back(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                    : Qt::ArrowCursor);
    FakePrompter::showOpen(dialog);
  }
  std::vector<Qt::CursorShape> shapes;
};

TEST(MainWindow, ButtonsWorkUnderTheWaitCursor) {
  CursorWatcher prompter;
  frmMain main(prompter);
  main.show();
  Click(main, "CmdOpenIN");
  Child<QPushButton>(main, "CmdSaveOUT")->setEnabled(true);
  Click(main, "CmdSaveOUT");
  EXPECT_EQ(prompter.shapes, (std::vector<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace rostrel::testing
