#pragma once

#include <exception>
#include <new>
#include <string>

namespace rostrel {

// The program's title: every message box without a title of its own carries it.
inline constexpr const char* kAppTitle = "Rostrel";

// Where the instructions live; messages that send the user there end with this address.
inline constexpr const char* kInstructionsUrl = "https://rostrel.pl/instrukcja/";

enum class Icon { None, Stop, Warning, Information };
enum class Buttons { Ok, OkCancel };  // with OK and Cancel, OK is the default button
enum class Answer { Ok, Cancel };

// The settings of the open-file dialog `comIN`. The window keeps one instance for the whole
// run, so the file name chosen last is offered the next time unless a caller clears it.
struct FileDialogSettings {
  std::string defaultExt;  // ".lxf"
  std::string filter;      // "label|pattern", e.g. "LXF (*.lxf)|*.lxf"
  int filterIndex = 1;     // 1-based, as the filter lists its entries
  unsigned flags = 0;      // see kDialogExplorer and kDialogFileMustExist
  std::string fileName;    // in: offered name; out: the chosen full path, empty on cancel
};

inline constexpr unsigned kDialogFileMustExist = 0x1000;
inline constexpr unsigned kDialogExplorer = 0x80000;

// Everything that talks to the user goes through this interface: the program implements it
// with Qt, the tests with a scripted fake that records every prompt. Texts are UTF-8.
// Implementations must not throw.
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual Answer message(const std::string& text, const std::string& title, Icon icon,
                         Buttons buttons) = 0;
  // Shows the dialog modally; sets dialog.fileName to the chosen path, or to "" on cancel.
  virtual void showOpen(FileDialogSettings& dialog) = 0;
};

// A stop-icon message with an OK button under the program's title: the form of every refusal
// and error of the program itself.
inline void ShowStop(Prompter& prompter, const std::string& text) {
  prompter.message(text, kAppTitle, Icon::Stop, Buttons::Ok);
}

// The message for a failure the program did not foresee, followed on its own line by what
// failed; no icon, one OK button.
inline constexpr const char* kProgramErrorMessage =
    "Wystąpił błąd programu - skontaktuj się z autorem";

inline void ShowProgramError(Prompter& prompter, const std::string& detail) {
  prompter.message(std::string(kProgramErrorMessage) + "\r\n" + detail, kAppTitle, Icon::None,
                   Buttons::Ok);
}

// Runs an action's work. An exception that escapes it (memory running out, above all) does not
// end the program: `abandon` gets a Polish description of it, tidies up and tells the user. The
// library's own text of any other exception is kept after a Polish lead, for the author.
template <class Work, class Abandon>
void RunGuarded(Work&& work, Abandon&& abandon) noexcept {
  // The description is built inside the guard too: building it can run out of memory as well.
  const auto giveUp = [&](const char* lead, const char* detail) noexcept {
    try {
      abandon(std::string(lead) + detail);
    } catch (...) {
    }
  };
  try {
    work();
  } catch (const std::bad_alloc&) {
    giveUp("brak pamięci", "");
  } catch (const std::exception& e) {
    giveUp("nieoczekiwany wyjątek: ", e.what());
  } catch (...) {
    giveUp("nieznany błąd", "");
  }
}

}  // namespace rostrel
