#pragma once

#include <deque>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "common/prompter.h"

namespace rostrel::testing {

// A message as the user saw it, comparable and printable.
struct Shown {
  std::string text;
  std::string title;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
  bool operator==(const Shown&) const = default;
};

inline void PrintTo(const Shown& m, std::ostream* os) {
  static const char* const icons[] = {"none", "stop", "warning", "information"};
  *os << "{\"" << m.text << "\", \"" << m.title << "\", " << icons[static_cast<int>(m.icon)] << ", "
      << (m.buttons == Buttons::Ok ? "OK" : "OK/Cancel") << "}";
}

inline std::ostream& operator<<(std::ostream& os, const Shown& m) {
  PrintTo(m, &os);
  return os;
}

// The messages the program shows most, written out as the user sees them.
inline Shown Stop(const std::string& text) { return {text, "Rostrel", Icon::Stop, Buttons::Ok}; }
// A failure of the archive routine ("error"), and of writing the empty archive ("Error").
inline Shown ArchiveError(const std::string& text) {
  return {text, "error", Icon::Warning, Buttons::Ok};
}
inline Shown EmptyArchiveError(const std::string& text) {
  return {text, "Error", Icon::Warning, Buttons::Ok};
}
inline Shown InvalidArchive() {
  return Stop("Uwaga, nieprawidłowe archiwum LXF, skontaktuj się z autorem programu");
}
// A file operation that failed while unpacking an LXF file beside itself, and what failed.
inline Shown UnpackFailed(const std::string& what) {
  return Stop("Nie udało się rozpakować pliku LXF w jego katalogu:\r\n" + what +
              "\r\nSprawdź, czy plik LXF nie jest otwarty w innym programie, czy wolno go "
              "odczytać, czy w jego katalogu wolno zapisywać i czy na dysku jest wolne miejsce, a "
              "potem spróbuj ponownie.");
}
inline Shown Confirmation() {
  return {
      "Czy nadpisać nazwę klubu i dane wszystkich zawodników we wskazanym pliku ? \r\n"
      "Wprowadzonych zmian nie będzie można cofnąć ",
      "Potwierdź nadpisanie pliku", Icon::None, Buttons::OkCancel};
}
inline Shown PasteDone(const std::string& path) {
  return {"Operacja wykonana poprawnie, nadpisano plik: " + path, "Rostrel", Icon::Information,
          Buttons::Ok};
}
inline Shown ProgramError(const std::string& detail) {
  return {"Wystąpił błąd programu - skontaktuj się z autorem\r\n" + detail, "Rostrel", Icon::None,
          Buttons::Ok};
}

// The messages with each '@' in their texts standing for `folder`, a path that ends in its
// separator: for rows written before the folder they name is made.
inline std::vector<Shown> InFolder(std::vector<Shown> messages, const std::string& folder) {
  for (Shown& m : messages) {
    for (size_t at = m.text.find('@'); at != std::string::npos;
         at = m.text.find('@', at + folder.size()))
      m.text.replace(at, 1, folder);
  }
  return messages;
}

// A scripted stand-in for the user: it records every message and dialog, answers messages from
// a queue (OK when the queue is empty) and picks files from another queue (cancel when empty).
// It can also play an unforeseen failure: memory that runs out while a given message is shown.
class FakePrompter : public Prompter {
 public:
  using Message = Shown;

  Answer message(const std::string& text, const std::string& title, Icon icon,
                 Buttons buttons) override {
    messages.push_back({text, title, icon, buttons});
    if (!throwAt.empty() && text == throwAt) {
      throwAt.clear();
      throw std::bad_alloc();
    }
    if (answers.empty()) return Answer::Ok;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }

  void showOpen(FileDialogSettings& dialog) override {
    dialogs.push_back(dialog);
    if (picks.empty()) {
      dialog.fileName.clear();
      return;
    }
    dialog.fileName = picks.front();
    picks.pop_front();
  }

  // The texts of the messages shown, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> all;
    for (const Shown& m : messages) all.push_back(m.text);
    return all;
  }

  std::deque<Answer> answers;
  std::deque<std::string> picks;
  std::vector<Shown> messages;
  std::vector<FileDialogSettings> dialogs;  // the settings as each dialog was shown
  std::string throwAt;  // message() throws std::bad_alloc once, on a message with this text
};

}  // namespace rostrel::testing
