# Regenerates the examples into SCRATCH and compares every file with EXPECTED
# (the README and .gitattributes are written by hand and left out).
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${GENERATOR}" examples "${SCRATCH}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kivlogs-gen examples failed (${rc})")
endif()

file(GLOB_RECURSE expected RELATIVE "${EXPECTED}" "${EXPECTED}/*")
list(REMOVE_ITEM expected README.md .gitattributes)
file(GLOB_RECURSE produced RELATIVE "${SCRATCH}" "${SCRATCH}/*")
list(SORT expected)
list(SORT produced)
if(NOT expected STREQUAL produced)
  message(FATAL_ERROR "different file sets:\n  examples: ${expected}\n  generated: ${produced}")
endif()

set(differ "")
foreach(name IN LISTS expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${EXPECTED}/${name}" "${SCRATCH}/${name}"
                  RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differ "${name}")
  endif()
endforeach()
if(differ)
  message(FATAL_ERROR "regenerated examples differ: ${differ}")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
