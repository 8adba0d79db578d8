# The release ZIP a Windows user downloads: `cpack` in the build folder
# writes z5def-<version>-windows-x86_64.zip, which unpacks into one folder
# z5def-<version>: z5def.exe, the window z5deftool.exe with a z5.ini whose
# start folder is "." (the folder it is started in: by a double click, the
# folder of z5deftool.exe), the samples with a z5.ini of their own, the
# Blender add-on's ZIP, and the README, the documents of docs/, the licence
# and the changelog as .txt
# files with CR LF line ends, which any Windows editor opens with a double
# click: written for a Windows user from the same sources as the README
# (scripts/plain-text.py).
set(Z5_ZIP_FOLDER z5def-${PROJECT_VERSION})
install(TARGETS z5def z5deftool RUNTIME DESTINATION ${Z5_ZIP_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/z5.ini ${Z5_BLENDER_ZIP}
        DESTINATION ${Z5_ZIP_FOLDER})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples DESTINATION ${Z5_ZIP_FOLDER}
        PATTERN z5.ini EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/z5.ini DESTINATION ${Z5_ZIP_FOLDER}/samples)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
# plain_text(SOURCE TARGET [VERSION]): SOURCE (Markdown, relative to the
# project) as plain text for Windows at TARGET in the ZIP's folder.
function(plain_text source target)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${source})
    execute_process(
        COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/plain-text.py windows
                ${PROJECT_SOURCE_DIR}/${source} ${CMAKE_BINARY_DIR}/zip/${target} ${ARGN}
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "plain-text.py could not write ${target} from ${source}")
    endif()
    get_filename_component(folder ${target} DIRECTORY)
    install(FILES ${CMAKE_BINARY_DIR}/zip/${target} DESTINATION ${Z5_ZIP_FOLDER}/${folder})
endfunction()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/scripts/plain-text.py)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/zip/docs)
plain_text(README.md README.txt)
plain_text(CHANGELOG.md CHANGELOG.txt ${PROJECT_VERSION})
file(GLOB documents RELATIVE ${PROJECT_SOURCE_DIR} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
foreach(document ${documents})
    string(REGEX REPLACE "\\.md$" ".txt" target ${document})
    plain_text(${document} ${target})
endforeach()
# The licence as it is, with CR LF line ends.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REPLACE "\r\n" "\n" licence "${licence}")
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${CMAKE_BINARY_DIR}/zip/LICENSE.txt "${licence}")
install(FILES ${CMAKE_BINARY_DIR}/zip/LICENSE.txt DESTINATION ${Z5_ZIP_FOLDER})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME z5def)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME z5def-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "z5def: definition files of the racing simulation's data files, and back")
include(CPack)
