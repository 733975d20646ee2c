; Rostrel's installer for 64-bit Windows, in Polish: installs for all users into
; Program Files\Rostrel, with Start-menu shortcuts to the program and to its manual
; (instrukcja.html, beside the program), an optional desktop shortcut, an uninstaller and an entry
; in Windows' list of installed programs. "/S" installs (and uninstalls) silently.
; Built by the windows_package target (packaging/windows/package.cmake), which defines:
;   VERSION_TEXT ("3.01"), VERSION_FIXED ("3.1.0.0"), VERSION_MAJOR, VERSION_MINOR, SIZE_KB,
;   STAGE (the program's folder), ICON, UNINSTALL_FILES (the list of what to remove), OUTFILE.
; A 64-bit installer for the 64-bit program: it starts only where the program can run.
Target amd64-unicode
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Rostrel"

Name "Rostrel ${VERSION_TEXT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Rostrel"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Rostrel.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

; The version record of the setup file itself; it has no copyright line to state.
!pragma warning disable 9100
VIProductVersion "${VERSION_FIXED}"
VIAddVersionKey /LANG=${LANG_POLISH} "ProductName" "Rostrel"
VIAddVersionKey /LANG=${LANG_POLISH} "FileDescription" "Instalator programu Rostrel"
VIAddVersionKey /LANG=${LANG_POLISH} "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_POLISH} "ProductVersion" "${VERSION_TEXT}"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Rostrel" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\Odinstaluj.exe"
  CreateShortCut "$SMPROGRAMS\Rostrel.lnk" "$INSTDIR\Rostrel.exe"
  CreateShortCut "$SMPROGRAMS\Instrukcja programu Rostrel.lnk" "$INSTDIR\instrukcja.html"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Rostrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Rostrel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Odinstaluj.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Odinstaluj.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Skrót na pulpicie" SecDesktop
  CreateShortCut "$DESKTOP\Rostrel.lnk" "$INSTDIR\Rostrel.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Program Rostrel z instrukcją, bibliotekami Qt i polskim tłumaczeniem okien dialogowych."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "Skrót do programu Rostrel na pulpicie."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
  !include "${UNINSTALL_FILES}"
  Delete "$INSTDIR\Odinstaluj.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Rostrel.lnk"
  Delete "$SMPROGRAMS\Instrukcja programu Rostrel.lnk"
  Delete "$DESKTOP\Rostrel.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
