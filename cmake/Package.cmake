# The release ZIP a Windows user downloads: `cpack` in the build folder
# writes z5def-<version>-windows-x86_64.zip holding z5def.exe, the window
# z5deftool.exe with a z5.ini whose start folder is "." (the folder it is
# started in: by a double click, the folder of z5deftool.exe), the samples,
# the Blender add-on's ZIP, and the README, the licence and the changelog as
# .txt files with CR LF line ends, which any Windows editor opens with a
# double click.
install(TARGETS z5def z5deftool RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/z5.ini ${Z5_BLENDER_ZIP} DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples DESTINATION .)
foreach(pair README.md:README.txt LICENSE:LICENSE.txt CHANGELOG.md:CHANGELOG.txt)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 source)
    list(GET pair 1 target)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${source})
    file(READ ${PROJECT_SOURCE_DIR}/${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${CMAKE_BINARY_DIR}/zip/${target} "${text}")
    install(FILES ${CMAKE_BINARY_DIR}/zip/${target} DESTINATION .)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME z5def)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME z5def-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "z5def: definition files of the racing simulation's data files, and back")
include(CPack)
