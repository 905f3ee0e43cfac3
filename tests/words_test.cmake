# A document that carries the words a person reads (docs/words.txt) holds
# each of them in its section, in order, read as a person reads the
# document: the warning, each key's name before what it does, then what
# sync.txt holds, with the document's headings between them.
#
#   cmake -DDOCUMENT=FILE -P words_test.cmake
#
# FILE is a folder's README.txt (LF or CR LF lines), the tree's README.md
# (read without Markdown's ** and `), a manual page (*.6, read through groff)
# or AppStream metadata (*.metainfo.xml, the text of its description).
cmake_minimum_required(VERSION 3.22)
include(${CMAKE_CURRENT_LIST_DIR}/../docs/words.cmake)

function(fail message)
  message(FATAL_ERROR "words_test: ${DOCUMENT}: ${message}")
endfunction()

# What is looked for, in order: headings, and the parts of the words
# (<warning>, <keys>, <sync>).
if(DOCUMENT MATCHES "README\\.txt$" AND EXISTS "${DOCUMENT}")
  file(READ ${DOCUMENT} text)
  set(order <warning> "Starting it -----------" "Keys ----" <keys> "sync.txt --------" <sync>)
elseif(DOCUMENT MATCHES "README\\.md$" AND EXISTS "${DOCUMENT}")
  file(READ ${DOCUMENT} text)
  string(REPLACE "**" "" text "${text}")
  string(REPLACE "`" "" text "${text}")
  set(order <warning> "## Keys" <keys> <sync>)
elseif(DOCUMENT MATCHES "\\.6$" AND EXISTS "${DOCUMENT}")
  # Lines as long as a paragraph: nothing hyphenated; and every warning of
  # groff's is a fault of the page.
  execute_process(COMMAND groff -man -Tascii -P-cbou -rLL=2000n -ww ${DOCUMENT}
                  OUTPUT_VARIABLE text ERROR_VARIABLE errors RESULT_VARIABLE failed)
  if(failed OR NOT errors STREQUAL "")
    fail("groff (scripts/deps installs it): ${failed} ${errors}")
  endif()
  set(order DESCRIPTION <warning> KEYS <keys> FILES <sync> ENVIRONMENT)
elseif(DOCUMENT MATCHES "\\.metainfo\\.xml$" AND EXISTS "${DOCUMENT}")
  file(READ ${DOCUMENT} text)
  if(NOT text MATCHES "<description>(.*)</description>")
    fail("no description")
  endif()
  string(REGEX REPLACE "<[^>]*>" " " text "${CMAKE_MATCH_1}")
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  set(order <warning> <keys> <sync>)
else()
  fail("no README.txt, README.md, manual page or AppStream metadata there")
endif()

list(JOIN ORVEL_WORDS_WARNING " " warning)
list(JOIN ORVEL_WORDS_SYNC_FILE " " sync)
set(keys "")
foreach(name action IN ZIP_LISTS ORVEL_WORDS_KEY_NAMES ORVEL_WORDS_KEY_ACTIONS)
  list(APPEND keys "${name}" "${action}")
endforeach()
set(items "")
foreach(step IN LISTS order)
  if(step MATCHES "^<(.*)>$")
    list(APPEND items ${${CMAKE_MATCH_1}})
  else()
    list(APPEND items "${step}")
  endif()
endforeach()

# White space of any kind and length reads as one space; each item starts a
# word, and may end in the markup's colon.
string(REGEX REPLACE "[ \t\r\n]+" " " text " ${text} ")
set(rest "${text}")
set(after "the start")
foreach(item IN LISTS items)
  orvel_words_restore(item)
  string(REGEX REPLACE "[ \t\r\n]+" " " item " ${item}")
  string(FIND "${rest}" "${item}" found)
  if(found LESS 0)
    string(STRIP "${item}" item)
    fail("no '${item}' after '${after}', where docs/words.txt and the document's sections put it")
  endif()
  string(LENGTH "${item}" length)
  math(EXPR found "${found} + ${length}")
  string(SUBSTRING "${rest}" ${found} -1 rest)
  string(STRIP "${item}" after)
endforeach()
message(STATUS "words_test: ${DOCUMENT} holds the words of docs/words.txt in their places")
