# cmake -DEXE=z5def.exe -DOBJDUMP=x86_64-w64-mingw32-objdump -P CheckImports.cmake
cmake_minimum_required(VERSION 3.25)
# Fails unless every DLL the program imports is one of Windows' own, so that
# it runs on a bare Windows machine with no DLL beside it.
set(windows_dlls kernel32.dll msvcrt.dll user32.dll advapi32.dll shell32.dll ws2_32.dll ole32.dll
                 bcrypt.dll gdi32.dll comdlg32.dll comctl32.dll)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
    message(FATAL_ERROR "${EXE} imports no DLL at all: not a Windows program?")
endif()
foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST windows_dlls)
        message(FATAL_ERROR "${EXE} imports ${dll}, which is not part of Windows")
    endif()
    message(STATUS "imports ${dll}")
endforeach()
