#pragma once

#include <QString>
#include <QStringList>

#include "common/prompter.h"

namespace rostrel {

// The program's prompts: QMessageBox for messages, QFileDialog for `comIN`. Both are modal and
// show the normal cursor even while a button's work shows the wait cursor.
class QtPrompter : public Prompter {
 public:
  Answer message(const std::string& text, const std::string& title, Icon icon,
                 Buttons buttons) override;
  void showOpen(FileDialogSettings& dialog) override;
};

// Turns a filter written as "label|pattern|label|pattern..." into Qt's name filters
// ("label (pattern)"). A label that already ends with its pattern in parentheses is kept as it is.
QStringList NameFilters(const std::string& filter);

}  // namespace rostrel
