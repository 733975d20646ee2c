# `cmake --build build-win --target windows_package` writes the two things a Windows user gets:
# Rostrel-<version>-win64.zip, a folder that runs from anywhere, and Rostrel-<version>-setup.exe,
# the Polish installer (NSIS's makensis). Both hold the folder that `cmake --install` lays out,
# stripped: the program with its DLLs and the manual, instrukcja.html, with Rostrel.exe signed
# when scripts/sign.sh is given a certificate.
find_program(ROSTREL_MAKENSIS makensis REQUIRED)
set(ROSTREL_PACKAGE_NAME Rostrel-${ROSTREL_VERSION_TEXT})
add_custom_target(windows_package
  COMMAND ${CMAKE_COMMAND}
          -D BUILD_DIR=${PROJECT_BINARY_DIR}
          -D STAGE_DIR=${PROJECT_BINARY_DIR}/package
          -D PACKAGE_NAME=${ROSTREL_PACKAGE_NAME}
          -D VERSION_TEXT=${ROSTREL_VERSION_TEXT}
          -D VERSION_FIXED=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0
          -D VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
          -D VERSION_MINOR=${PROJECT_VERSION_MINOR}
          -D STRIP=${CMAKE_STRIP}
          -D SIGN_SCRIPT=${PROJECT_SOURCE_DIR}/scripts/sign.sh
          -D MAKENSIS=${ROSTREL_MAKENSIS}
          -D NSIS_SCRIPT=${PROJECT_SOURCE_DIR}/packaging/windows/rostrel.nsi
          -D ICON=${PROJECT_SOURCE_DIR}/app/icons/rostrel.ico
          -P ${PROJECT_SOURCE_DIR}/packaging/windows/package.cmake
  DEPENDS rostrel rostrel_manual
  COMMENT "Packing ${ROSTREL_PACKAGE_NAME}-win64.zip and ${ROSTREL_PACKAGE_NAME}-setup.exe"
  VERBATIM)
