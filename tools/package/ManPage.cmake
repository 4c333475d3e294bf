# Writes the man page of one program from its --help text, so that the two never say
# different things. Run as a script:
#   cmake -DPROGRAM=... -DNAME=... -DSUMMARY=... -DVERSION=... -DOUT=....1 -P ManPage.cmake
# The page has the program's name and summary, then the --help text as it stands.
foreach(_var PROGRAM NAME SUMMARY VERSION OUT)
  if(NOT DEFINED ${_var})
    message(FATAL_ERROR "ManPage.cmake: ${_var} fehlt")
  endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" --help
  OUTPUT_VARIABLE _help ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0 OR _help STREQUAL "")
  message(FATAL_ERROR "ManPage.cmake: ${PROGRAM} --help schlug fehl (${_rc}): ${_err}")
endif()

# roff: a backslash is written \e, a minus \- (so that options copy as typed), and a line
# that starts with a dot or an apostrophe would be a request: \& in front keeps it text.
string(REPLACE "\\" "\\e" _help "${_help}")
string(REPLACE "-" "\\-" _help "${_help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" _help "${_help}")
string(TOUPPER "${NAME}" _title)
string(REPLACE "-" "\\-" _name "${NAME}")

file(WRITE "${OUT}"
".TH ${_title} 1 \"\" \"edvara-anonymisieren ${VERSION}\" \"Edvara-Anonymisierung\"
.SH BEZEICHNUNG
${_name} \\- ${SUMMARY}
.SH BESCHREIBUNG
.nf
${_help}.fi
.SH SIEHE AUCH
Die README des Projekts edvara-anonymisieren.
")
