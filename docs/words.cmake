# The words a person reads about the show (docs/words.txt), read once for
# every document that carries them. orvel_words(FORMAT) sets WORDS_WARNING,
# WORDS_PAGE_WARNING (the web page's), WORDS_KEYS and WORDS_SYNC_FILE in the
# caller's scope, for configure_file,
# in FORMAT: text (the lines as they stand), roff (a manual page) or xml
# (AppStream's description, the web page's HTML); orvel_words_test(NAME DOCUMENT) registers the
# test that DOCUMENT holds them in their places (tests/words_test.cmake).
# The parts as read, for that test:
# ORVEL_WORDS_WARNING, ORVEL_WORDS_PAGE_WARNING and ORVEL_WORDS_SYNC_FILE
# (lists of lines), and
# ORVEL_WORDS_KEY_NAMES and ORVEL_WORDS_KEY_ACTIONS (one entry a key), with
# stand-ins for ";", "[" and "]" that orvel_words_restore(VAR) puts back.
include_guard(GLOBAL)

set(ORVEL_WORDS_FILE ${CMAKE_CURRENT_LIST_DIR}/words.txt)
if(NOT CMAKE_SCRIPT_MODE_FILE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORVEL_WORDS_FILE})
endif()

# CMake's lists split at ";" and never inside "[...]": the three stand as
# placeholders until a document's text is made.
function(orvel_words_restore var)
  set(text "${${var}}")
  string(REPLACE "_orvel_semicolon_" ";" text "${text}")
  string(REPLACE "_orvel_open_" "[" text "${text}")
  string(REPLACE "_orvel_close_" "]" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

file(READ ${ORVEL_WORDS_FILE} _orvel_words)
string(REPLACE ";" "_orvel_semicolon_" _orvel_words "${_orvel_words}")
string(REPLACE "[" "_orvel_open_" _orvel_words "${_orvel_words}")
string(REPLACE "]" "_orvel_close_" _orvel_words "${_orvel_words}")
string(REPLACE "\n" ";" _orvel_words "${_orvel_words}")
set(_orvel_part "")
foreach(line IN LISTS _orvel_words)
  if(line STREQUAL "" OR line MATCHES "^#")
    continue()
  elseif(line MATCHES "^(warning|page warning|keys|sync\\.txt):$")
    set(_orvel_part ${CMAKE_MATCH_1})
  elseif(_orvel_part STREQUAL "keys")
    if(NOT line MATCHES "^ *([^ ]|[^ ].*[^ ])  +([^ ].*)$")
      message(FATAL_ERROR "${ORVEL_WORDS_FILE}: a key's line is its name and what it does, "
                          "two or more spaces apart: '${line}'")
    endif()
    list(APPEND ORVEL_WORDS_KEY_ROWS "${line}")
    list(APPEND ORVEL_WORDS_KEY_NAMES "${CMAKE_MATCH_1}")
    list(APPEND ORVEL_WORDS_KEY_ACTIONS "${CMAKE_MATCH_2}")
  elseif(_orvel_part STREQUAL "warning")
    list(APPEND ORVEL_WORDS_WARNING "${line}")
  elseif(_orvel_part STREQUAL "page warning")
    list(APPEND ORVEL_WORDS_PAGE_WARNING "${line}")
  elseif(_orvel_part STREQUAL "sync.txt")
    list(APPEND ORVEL_WORDS_SYNC_FILE "${line}")
  else()
    message(FATAL_ERROR "${ORVEL_WORDS_FILE}: '${line}' stands before any of warning:, page warning:, keys: "
                        "and sync.txt:")
  endif()
endforeach()
if(NOT ORVEL_WORDS_WARNING OR NOT ORVEL_WORDS_PAGE_WARNING OR NOT ORVEL_WORDS_KEY_NAMES OR NOT ORVEL_WORDS_SYNC_FILE)
  message(FATAL_ERROR "${ORVEL_WORDS_FILE}: warning:, page warning:, keys: and sync.txt: each need a line or more")
endif()

# TEXT in FORMAT's markup. For roff, a backslash starts an escape and a line
# that starts with a dot or an apostrophe is a request; for XML, "&", "<"
# and ">" are markup.
function(_orvel_words_escape format var)
  set(text "${${var}}")
  if(format STREQUAL "roff")
    string(REPLACE "\\" "\\e" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  elseif(format STREQUAL "xml")
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
  endif()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(orvel_words format)
  if(NOT format MATCHES "^(text|roff|xml)$")
    message(FATAL_ERROR "orvel_words: the format is text, roff or xml, not '${format}'")
  endif()
  # The manual page and the metadata fill the lines anew; the READMEs keep
  # them as they stand.
  set(line_end "\n")
  if(format STREQUAL "xml")
    set(line_end " ")
  endif()
  list(JOIN ORVEL_WORDS_WARNING "${line_end}" warning)
  list(JOIN ORVEL_WORDS_PAGE_WARNING "${line_end}" page_warning)
  list(JOIN ORVEL_WORDS_SYNC_FILE "${line_end}" sync)
  _orvel_words_escape(${format} warning)
  _orvel_words_escape(${format} page_warning)
  _orvel_words_escape(${format} sync)
  set(keys "")
  set(separator "")
  if(format STREQUAL "text")
    list(JOIN ORVEL_WORDS_KEY_ROWS "\n" keys)
  else()
    foreach(name action IN ZIP_LISTS ORVEL_WORDS_KEY_NAMES ORVEL_WORDS_KEY_ACTIONS)
      _orvel_words_escape(${format} name)
      _orvel_words_escape(${format} action)
      if(format STREQUAL "roff")
        string(REPLACE "\"" "\\(dq" name "${name}")
        string(APPEND keys "${separator}.TP\n.B ${name}\n${action}")
        set(separator "\n")
      else()
        # One item a line, at the indentation the template gives the first.
        string(APPEND keys "${separator}<li>${name}: ${action}</li>")
        set(separator "\n      ")
      endif()
    endforeach()
  endif()
  foreach(var warning page_warning keys sync)
    orvel_words_restore(${var})
  endforeach()
  set(WORDS_WARNING "${warning}" PARENT_SCOPE)
  set(WORDS_PAGE_WARNING "${page_warning}" PARENT_SCOPE)
  set(WORDS_KEYS "${keys}" PARENT_SCOPE)
  set(WORDS_SYNC_FILE "${sync}" PARENT_SCOPE)
endfunction()

function(orvel_words_test name document)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -DDOCUMENT=${document} -P ${PROJECT_SOURCE_DIR}/tests/words_test.cmake)
endfunction()
