#include "app/startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/frm_main.h"
#include "app/looks.h"
#include "common/prompter.h"

// The icon lives in a static library, whose resources the linker keeps only when asked for.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace rostrel {

namespace {

void SetNames() {
  QCoreApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
}

// Qt's Polish translations: the standard dialogs' texts and the headings of the usage.
bool InstallPolishTranslations(QCoreApplication& app) {
  const QLocale polish(QLocale::Polish, QLocale::Poland);
  QLocale::setDefault(polish);
  auto* translator = new QTranslator(&app);
  const QStringList places = {
      QLibraryInfo::path(QLibraryInfo::TranslationsPath),
      QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
  for (const QString& place : places) {
    if (translator->load(polish, QStringLiteral("qtbase"), QStringLiteral("_"), place)) {
      QCoreApplication::installTranslator(translator);
      return true;  // only reported: no caller acts on the result, the dialogs just speak English
    }
  }
  delete translator;
  return false;  // see above: reported, acted on by no caller
}

// The program's options, each of which prints and ends the run. They are our own rather than
// Qt's built-in ones, whose descriptions Qt's Polish translations leave partly in English and
// which would bring Qt's own options into the usage.
class Options {
 public:
  Options() {
    parser.setApplicationDescription(
        QStringLiteral("Wkleja zawodników z bazy klubu do pliku zgłoszenia LXF.\n"
                       "Bez opcji otwiera okno programu."));
    parser.addOption(help_);
    parser.addOption(version_);
  }

  // Prints the usage or the version and ends the run, when either was asked for.
  void Answer() {
    if (parser.isSet(help_)) parser.showHelp(0);
    if (parser.isSet(version_)) parser.showVersion();
  }

  QCommandLineParser parser;

 private:
  const QCommandLineOption help_{{QStringLiteral("h"), QStringLiteral("help")},
                                 QStringLiteral("Wyświetla ten opis użycia.")};
  const QCommandLineOption version_{{QStringLiteral("v"), QStringLiteral("version")},
                                    QStringLiteral("Wyświetla numer wersji programu.")};
};

}  // namespace

bool SetUpApplication(QApplication& app) {
  InitResources();
  SetNames();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rostrel.png")));
  // Liberation Mono has the metrics of Courier New, so the captions fit as designed.
  QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
  return InstallPolishTranslations(app);
}

void AnswerCommandLine(int& argc, char** argv) {
  if (argc < 2) return;
  QCoreApplication core(argc, argv);
  SetNames();
  InstallPolishTranslations(core);
  Options options;
  if (options.parser.parse(QCoreApplication::arguments())) options.Answer();
}

void ReadCommandLine(const QApplication& app) {
  Options options;
  options.parser.process(app);  // an unknown option ends the run here
  options.Answer();
}

void RunStartUp(frmMain& window) {
  window.Load();
  CentreOnScreen(&window);
  window.show();
}

}  // namespace rostrel
