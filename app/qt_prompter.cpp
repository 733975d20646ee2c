#include "app/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace rostrel {
namespace {

// Dialogs take input, so they show the normal cursor over a wait cursor set by the caller.
class NormalCursor {
 public:
  NormalCursor() : active_(QApplication::overrideCursor() != nullptr) {
    if (active_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalCursor() {
    if (active_) QApplication::restoreOverrideCursor();
  }
  NormalCursor(const NormalCursor&) = delete;
  NormalCursor& operator=(const NormalCursor&) = delete;

 private:
  bool active_;
};

QMessageBox::Icon QtIcon(Icon icon) {
  switch (icon) {
    case Icon::Stop:
      return QMessageBox::Critical;
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

Answer QtPrompter::message(const std::string& text, const std::string& title, Icon icon,
                           Buttons buttons) {
  NormalCursor cursor;
  QMessageBox box;
  box.setIcon(QtIcon(icon));
  box.setWindowTitle(QString::fromStdString(title.empty() ? std::string(kAppTitle) : title));
  // Plain text: paths and file contents may hold "<", which must not turn the text into HTML.
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), "\n"));
  if (buttons == Buttons::OkCancel) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return box.clickedButton() == box.button(QMessageBox::Cancel) ? Answer::Cancel : Answer::Ok;
}

QStringList NameFilters(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString label = parts[i].trimmed();
    QString pattern = parts[i + 1].trimmed();
    pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
    const QString inParentheses = QStringLiteral("(%1)").arg(pattern);
    filters.append(
        label.endsWith(inParentheses) ? label : QStringLiteral("%1 %2").arg(label, inParentheses));
  }
  if (parts.size() % 2 == 1 && !parts.back().trimmed().isEmpty())
    filters.append(parts.back().trimmed());  // a lone pattern with no label
  return filters;
}

void QtPrompter::showOpen(FileDialogSettings& settings) {
  NormalCursor cursor;
  QFileDialog dialog;
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode((settings.flags & kDialogFileMustExist) ? QFileDialog::ExistingFile
                                                             : QFileDialog::AnyFile);
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
  // Elsewhere the desktop's own dialog may ignore the default suffix; Qt's honours everything.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
#endif
  QString suffix = QString::fromStdString(settings.defaultExt);
  if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  const QStringList filters = NameFilters(settings.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = settings.filterIndex >= 1 && settings.filterIndex <= filters.size()
                          ? settings.filterIndex - 1
                          : 0;
    dialog.selectNameFilter(filters[index]);
  }
  if (!settings.fileName.empty()) {
    const QFileInfo offered(QString::fromStdString(settings.fileName));
    dialog.setDirectory(offered.absolutePath());
    dialog.selectFile(offered.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    settings.fileName.clear();
    return;
  }
  settings.fileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace rostrel
