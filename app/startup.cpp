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

bool SetUpApplication(QApplication& app) {
  InitResources();
  QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/rostrel.png")));
  // Liberation Mono has the metrics of Courier New, so the captions fit as designed.
  QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

  const QLocale polish(QLocale::Polish, QLocale::Poland);
  QLocale::setDefault(polish);
  auto* translator = new QTranslator(&app);
  const QStringList places = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                              QApplication::applicationDirPath() + QStringLiteral("/translations")};
  for (const QString& place : places) {
    if (translator->load(polish, QStringLiteral("qtbase"), QStringLiteral("_"), place)) {
      QApplication::installTranslator(translator);
      return true;
    }
  }
  delete translator;
  return false;
}

void ReadCommandLine(const QApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Wkleja zawodników z bazy klubu do pliku zgłoszenia LXF.\n"
                     "Bez opcji otwiera okno programu."));
  // Options of our own rather than Qt's built-in ones, whose descriptions Qt's Polish
  // translations leave partly in English and which would bring Qt's own options into the usage.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Wyświetla ten opis użycia."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Wyświetla numer wersji programu."));
  parser.addOption(help);
  parser.addOption(version);
  parser.process(app);  // an unknown option ends the run here
  if (parser.isSet(help)) parser.showHelp(0);
  if (parser.isSet(version)) parser.showVersion();
}

void RunStartUp(frmMain& window) {
  window.Load();
  CentreOnScreen(&window);
  window.show();
}

}  // namespace rostrel
