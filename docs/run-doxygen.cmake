# Builds the API reference from DOXYFILE with DOXYGEN. A first, quick pass
# extracts documented entities only, to list the public classes that have no
# documentation (printed as warnings); the second pass writes the pages.
if(NOT DOXYGEN)
  message("doxygen is not installed (Debian package doxygen): skipped")
  return()
endif()
get_filename_component(folder ${DOXYFILE} DIRECTORY)
file(READ ${DOXYFILE} config)
file(WRITE ${folder}/Doxyfile.check "${config}
EXTRACT_ALL = NO
WARN_IF_UNDOCUMENTED = YES
GENERATE_HTML = NO
WARN_LOGFILE = ${folder}/undocumented.log
")
execute_process(COMMAND ${DOXYGEN} ${folder}/Doxyfile.check RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "doxygen failed (${result})")
endif()
file(STRINGS ${folder}/undocumented.log undocumented REGEX "warning: Compound .* is not documented")
foreach(line IN LISTS undocumented)
  string(REGEX REPLACE "warning: Compound (.*) is not documented\\." "warning: public class \\1 has no documentation"
    line "${line}")
  message("${line}")
endforeach()

execute_process(COMMAND ${DOXYGEN} ${DOXYFILE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "doxygen failed (${result})")
endif()
file(READ ${folder}/warnings.log warnings)
if(warnings)
  message("${warnings}")
endif()
list(LENGTH undocumented count)
message("API reference: ${folder}/html/index.html (${count} undocumented public classes)")
