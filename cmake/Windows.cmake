# The Windows build: a z5def.exe that needs no DLL beside it, the GoogleTest
# suites built for the target, and (when cross-built on Linux) every test run
# through wine in a prefix of this build's own.

# libstdc++, libgcc and winpthread are linked in: only Windows' own DLLs are
# imported (checked by the test z5def_imports).
add_link_options(-static)

include(${CMAKE_CURRENT_LIST_DIR}/Licence.cmake)

# z5_version_resource(TARGET DESCRIPTION): the version information of the
# program TARGET (product, version, DESCRIPTION, the licence and its holder
# as LICENSE names them), which Explorer shows in the file's properties.
function(z5_version_resource target description)
    z5_read_licence(${PROJECT_SOURCE_DIR}/LICENSE Z5_RC_YEAR Z5_RC_HOLDER terms)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
    set(Z5_RC_NAME ${target})
    set(Z5_RC_FILE ${target}.exe)
    set(Z5_RC_DESCRIPTION "${description}")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()

# CLI11 is header-only. Its folder is copied into an include folder that holds
# nothing else: the host's /usr/include on the target's include path would mix
# glibc headers into the build.
find_path(Z5_HOST_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT Z5_HOST_CLI11_INCLUDE)
    message(FATAL_ERROR "CLI11 not found: install libcli11-dev")
endif()
file(COPY ${Z5_HOST_CLI11_INCLUDE}/CLI DESTINATION ${CMAKE_BINARY_DIR}/cli11-include)
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/cli11-include)

# GoogleTest from the sources Debian's googletest package installs, built
# before the project's warning flags are set.
if(Z5_TESTS)
    set(Z5_GOOGLETEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
    if(NOT EXISTS ${Z5_GOOGLETEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest sources not found at ${Z5_GOOGLETEST_SOURCE}: "
                            "install googletest")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${Z5_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

if(CMAKE_CROSSCOMPILING AND CMAKE_HOST_UNIX AND Z5_TESTS)
    # Debian's wine64 is not on PATH.
    find_program(Z5_WINE64 wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    find_program(Z5_WINESERVER wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
    if(NOT Z5_WINE64)
        message(FATAL_ERROR "wine64 not found: install wine64 to run the Windows tests")
    endif()
    # z5_wine_prefix(DIR): a wine prefix at DIR. A fresh prefix takes
    # seconds to set up: it is made once, here, and every test process
    # shares it.
    function(z5_wine_prefix prefix)
        if(EXISTS ${prefix}/system.reg)
            return()
        endif()
        message(STATUS "Creating the wine prefix ${prefix}")
        set(env WINEPREFIX=${prefix} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
        execute_process(COMMAND env ${env} ${Z5_WINE64} wineboot --init
                        RESULT_VARIABLE wineboot_status OUTPUT_QUIET ERROR_QUIET)
        if(Z5_WINESERVER)
            execute_process(COMMAND env ${env} ${Z5_WINESERVER} --wait)
        endif()
        if(NOT wineboot_status EQUAL 0 OR NOT EXISTS ${prefix}/system.reg)
            message(FATAL_ERROR "wine could not set up ${prefix}")
        endif()
    endfunction()
    set(Z5_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(Z5_WINE_ENV WINEPREFIX=${Z5_WINEPREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
    z5_wine_prefix(${Z5_WINEPREFIX})
    # The window's tests have a prefix of their own, served on a display of
    # their own (tests/win32).
    set(Z5_WINDOW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix-window)
    z5_wine_prefix(${Z5_WINDOW_WINEPREFIX})
    set(CMAKE_CROSSCOMPILING_EMULATOR env ${Z5_WINE_ENV} ${Z5_WINE64})
endif()
