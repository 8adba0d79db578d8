# Writes the Debian package's documentation files from the project's own:
# COPYRIGHT, the copyright file in Debian's machine-readable format, from the
# MIT licence in LICENSE; CHANGELOG, changelog.gz in Debian's changelog format,
# from the numbered sections of CHANGELOG.md (the development section stays
# out), packed by gzip -9n (no name or time stamp inside).
# cmake -DLICENSE=... -DCHANGELOG_MD=... -DMAINTAINER=... -DCOPYRIGHT=...
#       -DCHANGELOG=... -P debian-docs.cmake

# The licence: "Copyright (c) YEAR HOLDER", then the terms.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/Licence.cmake)
z5_read_licence(${LICENSE} year holder terms)
# Each line of the terms indented by one blank, an empty line as " .".
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms " ${terms}")
file(WRITE ${COPYRIGHT}
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Z5 Def Tool

Files: *
Copyright: ${year} ${holder}
License: Expat

License: Expat
${terms}
")

# The day of the week of a date, as the changelog's trailer names it.
function(weekday var y m d)
    set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
    math(EXPR index "${m} - 1")
    list(GET offsets ${index} offset)
    if(m LESS 3)
        math(EXPR y "${y} - 1")
    endif()
    math(EXPR day "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${d}) % 7")
    set(days Sun Mon Tue Wed Thu Fri Sat)
    list(GET days ${day} name)
    set(${var} ${name} PARENT_SCOPE)
endfunction()

set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
file(READ ${CHANGELOG_MD} text)
# Lines one by one; a ";" in the text must not split the list.
string(REPLACE ";" "<semicolon>" text "${text}")
string(REGEX MATCHALL "[^\n]*\n" lines "${text}")
set(out "")
set(trailer "")
set(inside FALSE)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "\n$" "" line "${line}")
    if(line MATCHES "^## ([0-9]+\\.[0-9]+\\.[0-9]+) - ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        set(version ${CMAKE_MATCH_1})
        set(y ${CMAKE_MATCH_2})
        set(dd ${CMAKE_MATCH_4})
        math(EXPR m "${CMAKE_MATCH_3}")
        math(EXPR d "${CMAKE_MATCH_4}")
        weekday(day ${y} ${m} ${d})
        math(EXPR index "${m} - 1")
        list(GET months ${index} month)
        string(APPEND out "${trailer}z5def (${version}) unstable; urgency=medium\n\n")
        set(trailer " -- ${MAINTAINER}  ${day}, ${dd} ${month} ${y} 00:00:00 +0000\n\n")
        set(inside TRUE)
    elseif(line MATCHES "^## ")
        set(inside FALSE)  # the development section
    elseif(inside AND line MATCHES "^### (.*)")
        string(APPEND out "  * ${CMAKE_MATCH_1}\n")
    elseif(inside AND line MATCHES "^- (.*)")
        string(APPEND out "    - ${CMAKE_MATCH_1}\n")
    elseif(inside AND line MATCHES "^  (.*)")
        string(APPEND out "      ${CMAKE_MATCH_1}\n")
    elseif(inside AND NOT line STREQUAL "")
        string(APPEND out "  ${line}\n")
    elseif(inside AND NOT out MATCHES "\n\n$")
        string(APPEND out "\n")
    endif()
endforeach()
if(trailer STREQUAL "")
    message(FATAL_ERROR "${CHANGELOG_MD}: no section \"## X.Y.Z - YYYY-MM-DD\"")
endif()
string(REGEX REPLACE "\n+$" "\n\n" out "${out}")
string(APPEND out "${trailer}")
string(REGEX REPLACE "\n\n$" "\n" out "${out}")
string(REPLACE "<semicolon>" ";" out "${out}")
file(WRITE ${CHANGELOG}.txt "${out}")
execute_process(COMMAND gzip -9 -n -c ${CHANGELOG}.txt OUTPUT_FILE ${CHANGELOG}
                RESULT_VARIABLE status)
file(REMOVE ${CHANGELOG}.txt)
if(NOT status EQUAL 0)
    file(REMOVE ${CHANGELOG})
    message(FATAL_ERROR "gzip could not pack ${CHANGELOG}: ${status}")
endif()
