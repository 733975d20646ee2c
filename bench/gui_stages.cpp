#include "bench/gui_stages.h"

#include <QApplication>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>

#include "app/frm_main.h"
#include "app/startup.h"
#include "archive/shell_zip.h"
#include "bench/harness.h"

namespace rostrel::bench {
namespace {

int g_argc = 0;
std::unique_ptr<QApplication> g_app;

// Lets the view do its delayed layout and paint, as it would before the user sees the lines.
void Settle() { QCoreApplication::processEvents(); }

QStringListModel* LinesOf(QListView* list) {
  return qobject_cast<QStringListModel*>(list->model());
}

std::string DescribeList(QListView* list) {
  std::string how = qobject_cast<QListWidget*>(list) ? "QListWidget" : "QListView";
  if (LinesOf(list)) how += " over QStringListModel";
  if (list->uniformItemSizes()) how += ", uniform item sizes";
  return how;
}

// Times `fill` putting `rows` lines into `lines`, laid out; the lines are emptied, untimed,
// before each run.
double TimeFilling(int runs, QStringListModel* lines, int rows, const std::function<void()>& fill) {
  return BestOf(
      runs,
      [&] {
        lines->setStringList({});
        Settle();
      },
      [&] {
        fill();
        Settle();
        return lines->rowCount() == rows;
      });
}

}  // namespace

void StartGui(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  g_argc = argc;
  g_app = std::make_unique<QApplication>(g_argc, argv);
  SetUpApplication(*g_app);
}

void StopGui() { g_app.reset(); }

GuiTimes MeasureWindow(int runs, const std::vector<std::string>& display,
                       const std::string& dbLxf) {
  GuiTimes times;
  FakePrompter prompter;
  frmMain window(prompter);
  window.show();
  Settle();
  auto* lstIN = window.findChild<QListView*>("lstIN");
  auto* lstOUT = window.findChild<QListView*>("lstOUT");
  auto* open = window.findChild<QPushButton*>("CmdOpenIN");
  auto* transfer = window.findChild<QPushButton*>("ComGetAll");
  if (!lstIN || !lstOUT || !open || !transfer || !LinesOf(lstIN) || !LinesOf(lstOUT)) {
    times.how = "the window's lists were not found";
    return times;
  }
  times.how = DescribeList(lstIN);
  const int rows = static_cast<int>(display.size());

  // The whole open as the user sees it: the click, OpenDatabase, and lstIN filled and drawn.
  times.windowOpen = TimeFilling(runs, LinesOf(lstIN), rows, [&] {
    prompter.picks = {dbLxf};
    open->click();
  });
  // Filling lstIN the way the window does after an open, on the window's own model.
  times.fill =
      TimeFilling(runs, LinesOf(lstIN), rows, [&] { SetListLines(LinesOf(lstIN), display); });
  // ">>" is enabled by the open above.
  times.transfer = TimeFilling(runs, LinesOf(lstOUT), rows, [&] { transfer->click(); });
  return times;
}

int ChildSession(const std::string& setDir, const std::string& work) {
  SetShellZipPause(std::chrono::milliseconds(0));
  const SessionFiles files = CopySessionFiles(setDir, work);
  FakePrompter prompter;
  frmMain window(prompter);
  window.show();
  Settle();
  const long long before = ResidentBytes();
  prompter.picks = {files.database};
  window.findChild<QPushButton*>("CmdOpenIN")->click();
  Settle();
  window.findChild<QPushButton*>("ComGetAll")->click();
  Settle();
  prompter.picks = {files.entries};
  window.findChild<QPushButton*>("CmdSaveOUT")->click();
  Settle();
  const long long peak = PeakResidentBytes();
  std::filesystem::remove_all(work);
  bool pasted = false;
  for (const FakePrompter::Message& m : prompter.messages)
    pasted = pasted || m.text.find("Operacja wykonana poprawnie") != std::string::npos;
  if (!pasted) {
    for (const FakePrompter::Message& m : prompter.messages) std::cerr << Describe(m) << "\n";
    return 1;
  }
  std::cout << before << " " << peak << std::endl;
  return 0;
}

}  // namespace rostrel::bench
