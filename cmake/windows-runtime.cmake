# What the Windows programs need beside them to run: Qt's DLLs, the compiler's runtime DLLs, the
# "windows" platform plugin, the Vista style and Qt's Polish translation (the standard dialogs'
# texts; the program looks for it in translations/ beside itself). Every program of the build
# lands in bin/ with a copy of all this, so that the program and the tests run there under Wine
# as they would on Windows; `cmake --install` lays out the same folder, which the zip and the
# installer ship.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
# On Windows the program sits at the top of its folder, with its DLLs.
set(CMAKE_INSTALL_BINDIR .)

set(ROSTREL_COMPILER_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler does not know where ${dll} is (got '${path}').")
  endif()
  list(APPEND ROSTREL_COMPILER_RUNTIME ${path})
endforeach()

# The translation is the same file on every platform: the Linux Qt's copy serves
# (qt6-translations-l10n).
find_file(ROSTREL_QT_POLISH qtbase_pl.qm
          PATHS ${QT_HOST_PATH}/share/qt6/translations /usr/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(ROSTREL_QT_DLLS $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>)
set(ROSTREL_PLATFORM_PLUGIN $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>)
set(ROSTREL_STYLE_PLUGIN $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)

set(dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
add_custom_target(rostrel_windows_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/platforms ${dir}/styles ${dir}/translations
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ROSTREL_QT_DLLS} $<TARGET_FILE:Qt6::Test>
          ${ROSTREL_COMPILER_RUNTIME} ${dir}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ROSTREL_PLATFORM_PLUGIN} ${dir}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ROSTREL_STYLE_PLUGIN} ${dir}/styles
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ROSTREL_QT_POLISH} ${dir}/translations
  COMMENT "Copying Qt's and the compiler's DLLs beside the programs"
  VERBATIM)

install(FILES ${ROSTREL_QT_DLLS} ${ROSTREL_COMPILER_RUNTIME} DESTINATION .)
install(FILES ${ROSTREL_PLATFORM_PLUGIN} DESTINATION platforms)
install(FILES ${ROSTREL_STYLE_PLUGIN} DESTINATION styles)
install(FILES ${ROSTREL_QT_POLISH} DESTINATION translations)
