#pragma once

#include "app/version.h"

class QApplication;

namespace rostrel {

class frmMain;

inline constexpr const char* kAppVersion = ROSTREL_VERSION_TEXT;

// What every run sets up before its first window: the program's name, version and icon, the
// stand-in font for "Courier New", the Polish locale and Qt's Polish translations for the
// standard dialogs. Returns false when the translations could not be found (the dialogs then
// speak English; nothing else changes).
bool SetUpApplication(QApplication& app);

// The command line, read as Linux users expect it: "--help" (or "-h") prints a short usage and
// "--version" (or "-v") prints "Rostrel 3.01", each ending the run with success; an unknown
// option prints a one-line error to standard error and ends the run with a failure status. On
// Windows, where a program with windows has no console, these texts come in a message box. With
// no options the program starts.
//
// AnswerCommandLine runs first, before the window system is set up, so that the usage and the
// version need no display (over ssh, in a script). A command line it does not understand, such
// as one with Qt's own options for programs with windows (-platform, -session, ...), is left to
// ReadCommandLine, which reads what is left of it once the application has taken those; call it
// after SetUpApplication.
void AnswerCommandLine(int& argc, char** argv);
void ReadCommandLine(const QApplication& app);

// The start of a run: the main window's load step (the start window, modally), then the main
// window itself, centred on the screen.
void RunStartUp(frmMain& window);

}  // namespace rostrel
