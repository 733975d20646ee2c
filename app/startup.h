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

// The start of a run: the main window's load step (the start window, modally), then the main
// window itself, centred on the screen.
void RunStartUp(frmMain& window);

}  // namespace rostrel
