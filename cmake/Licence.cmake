# z5_read_licence(FILE YEAR HOLDER TERMS): the parts of the licence FILE,
# which begins "Copyright (c) YEAR HOLDER", then the terms after an empty
# line. Both the Debian package's copyright file and the Windows programs'
# version information are made from them.
function(z5_read_licence file year holder terms)
    file(READ ${file} licence)
    if(NOT licence MATCHES "Copyright \\(c\\) ([0-9]+) ([^\n]+)\n\n(.*[^\n])\n*$")
        message(FATAL_ERROR "${file}: no \"Copyright (c) YEAR HOLDER\" line before the terms")
    endif()
    set(${year} ${CMAKE_MATCH_1} PARENT_SCOPE)
    set(${holder} ${CMAKE_MATCH_2} PARENT_SCOPE)
    set(${terms} ${CMAKE_MATCH_3} PARENT_SCOPE)
endfunction()
