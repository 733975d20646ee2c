# Lays out the Windows program's folder, strips it, signs the program (scripts/sign.sh, when a
# certificate is given) and packs it as the zip and the installer. The windows_package target
# (cmake/windows-package.cmake) runs it with every variable used here.
set(folder ${STAGE_DIR}/${PACKAGE_NAME}-win64)
file(REMOVE_RECURSE ${STAGE_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${folder}
                COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE binaries ${folder}/*.exe ${folder}/*.dll)
execute_process(COMMAND ${STRIP} --strip-unneeded ${binaries} COMMAND_ERROR_IS_FATAL ANY)
# The program is signed once stripped and before it is packed, so that the zip and the setup
# carry the signed program. Without a certificate the script signs nothing and says so.
execute_process(COMMAND bash ${SIGN_SCRIPT} ${folder}/Rostrel.exe COMMAND_ERROR_IS_FATAL ANY)

# The zip holds the folder itself, so that it unpacks into one place.
set(zip ${BUILD_DIR}/${PACKAGE_NAME}-win64.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${PACKAGE_NAME}-win64
                WORKING_DIRECTORY ${STAGE_DIR} COMMAND_ERROR_IS_FATAL ANY)

# The uninstaller removes exactly the files the installer put down, then their folders, deepest
# first; the installed size goes into Windows' list of installed programs.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${folder} ${folder}/*)
set(bytes 0)
set(folders)
set(removals)
foreach(file ${files})
  file(SIZE ${folder}/${file} size)
  math(EXPR bytes "${bytes} + ${size}")
  string(REPLACE "/" "\\" windows_name "${file}")
  string(APPEND removals "Delete \"$INSTDIR\\${windows_name}\"\n")
  get_filename_component(parent "${file}" DIRECTORY)
  while(parent)
    list(APPEND folders "${parent}")
    get_filename_component(parent "${parent}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)
list(REVERSE folders)
foreach(parent ${folders})
  string(REPLACE "/" "\\" windows_name "${parent}")
  string(APPEND removals "RMDir \"$INSTDIR\\${windows_name}\"\n")
endforeach()
file(WRITE ${STAGE_DIR}/uninstall-files.nsh "${removals}")
math(EXPR kilobytes "(${bytes} + 1023) / 1024")

execute_process(
  COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION_TEXT=${VERSION_TEXT} -DVERSION_FIXED=${VERSION_FIXED}
          -DVERSION_MAJOR=${VERSION_MAJOR} -DVERSION_MINOR=${VERSION_MINOR}
          -DSIZE_KB=${kilobytes} -DSTAGE=${folder} -DICON=${ICON}
          -DUNINSTALL_FILES=${STAGE_DIR}/uninstall-files.nsh
          -DOUTFILE=${BUILD_DIR}/${PACKAGE_NAME}-setup.exe ${NSIS_SCRIPT}
  COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Written: ${zip}")
message(STATUS "Written: ${BUILD_DIR}/${PACKAGE_NAME}-setup.exe")
