#pragma once

#include <deque>
#include <new>
#include <string>
#include <vector>

#include "common/prompter.h"

namespace rostrel::testing {

// A scripted stand-in for the user: it records every message and dialog, answers messages from
// a queue (OK when the queue is empty) and picks files from another queue (cancel when empty).
// It can also play an unforeseen failure: memory that runs out while a given message is shown.
class FakePrompter : public Prompter {
 public:
  struct Message {
    std::string text;
    std::string title;
    Icon icon;
    Buttons buttons;
  };

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

  std::deque<Answer> answers;
  std::deque<std::string> picks;
  std::vector<Message> messages;
  std::vector<FileDialogSettings> dialogs;  // the settings as each dialog was shown
  std::string throwAt;  // message() throws std::bad_alloc once, on a message with this text
};

}  // namespace rostrel::testing
