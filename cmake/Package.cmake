# The release ZIP a Windows user downloads: `cpack` in the build folder
# writes z5def-<version>-windows-x86_64.zip holding z5def.exe, the window
# z5deftool.exe with a z5.ini whose start folder is "." (the folder it is
# started in: by a double click, the folder of z5deftool.exe), the README
# and the samples.
install(TARGETS z5def z5deftool RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/z5.ini DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME z5def)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME z5def-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "z5def: definition files of the racing simulation's data files, and back")
include(CPack)
