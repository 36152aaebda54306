# Writes the Windows STRINGTABLE from the program's one string table, at build time:
#   cmake -DIDS=text/string_ids.h -DTABLE=text/string_table.cpp -DOUTPUT=string_table.rc
#         -P StringTableRc.cmake
# The numbers come from the identifiers' enum, the texts from kStringTable, adjacent u"..."
# pieces joined. Anything the reader does not follow stops the build rather than drop a text.
cmake_minimum_required(VERSION 3.25)

file(READ "${IDS}" ids_source)
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]* = [0-9]+" assignments "${ids_source}")
foreach(assignment IN LISTS assignments)
    string(REGEX MATCH "^([A-Za-z0-9_]+) = ([0-9]+)$" _ "${assignment}")
    set(number_of_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()

file(READ "${TABLE}" table_source)
set(opening "kStringTable[] = {")
string(FIND "${table_source}" "${opening}" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${TABLE}: no kStringTable found")
endif()
string(LENGTH "${opening}" length)
math(EXPR start "${start} + ${length}")
string(SUBSTRING "${table_source}" ${start} -1 rest)
string(FIND "${rest}" "\n};" end)
string(SUBSTRING "${rest}" 0 ${end} rest)

# A stand-in for the \\ escape while the others are converted; never part of a text.
string(ASCII 1 backslash_pair)
set(space "[ \t\r\n]*")
set(piece "u\"(([^\"\\]|\\\\.)*)\"")

# Takes the text from the start of `rest` to the end of `match` off `rest`; `between`, the text
# before the match, must be only separators and line comments.
function(consume match)
    string(FIND "${rest}" "${match}" at)
    string(SUBSTRING "${rest}" 0 ${at} between)
    string(REGEX REPLACE "//[^\n]*" "" between "${between}")
    if(NOT between MATCHES "^[ \t\r\n,]*$")
        message(FATAL_ERROR "${TABLE}: cannot read the table at: ${between}")
    endif()
    string(LENGTH "${match}" length)
    math(EXPR at "${at} + ${length}")
    string(SUBSTRING "${rest}" ${at} -1 rest)
    set(rest "${rest}" PARENT_SCOPE)
endfunction()

set(lines "")
while(TRUE)
    string(REGEX MATCH "{${space}([A-Za-z_][A-Za-z0-9_]*)${space},((${space}${piece})+)${space}}"
                 entry "${rest}")
    if(NOT entry)
        break()
    endif()
    set(name "${CMAKE_MATCH_1}")
    set(pieces "${CMAKE_MATCH_2}")
    consume("${entry}")
    if(NOT DEFINED number_of_${name})
        message(FATAL_ERROR "${TABLE}: ${name} is not an identifier of ${IDS}")
    endif()

    set(text "")
    while(pieces MATCHES "${piece}")
        string(APPEND text "${CMAKE_MATCH_1}")
        string(FIND "${pieces}" "${CMAKE_MATCH_0}" at)
        string(LENGTH "${CMAKE_MATCH_0}" length)
        math(EXPR at "${at} + ${length}")
        string(SUBSTRING "${pieces}" ${at} -1 pieces)
    endwhile()

    # C++ escapes to rc's: \r, \n, \t and \\ are the same there, a quote is doubled. Other
    # escapes (\x, \u, octal) would need decoding; none is used, so one stops the build.
    string(REPLACE "\\\\" "${backslash_pair}" text "${text}")
    string(REPLACE "\\\"" "\"\"" text "${text}")
    string(REGEX REPLACE "\\\\[rnt]" "" plain "${text}")
    if(plain MATCHES "\\\\")
        message(FATAL_ERROR "${TABLE}: ${name} holds an escape other than \\r \\n \\t \\\" \\\\")
    endif()
    string(REPLACE "${backslash_pair}" "\\\\" text "${text}")
    string(APPEND lines "    ${number_of_${name}} \"${text}\" // ${name}\n")
endwhile()
string(REGEX REPLACE "//[^\n]*" "" rest "${rest}")
if(NOT rest MATCHES "^[ \t\r\n,]*$")
    message(FATAL_ERROR "${TABLE}: cannot read the table at: ${rest}")
endif()
if(NOT lines)
    message(FATAL_ERROR "${TABLE}: the table is empty")
endif()

# Non-ASCII texts stay UTF-8: windres reads narrow strings in the code page named here.
file(WRITE "${OUTPUT}" "// Written from ${TABLE} at build time.\n"
                       "#pragma code_page(65001)\n"
                       "LANGUAGE 9, 1 // English (United States)\n"
                       "STRINGTABLE\nBEGIN\n${lines}END\n")
