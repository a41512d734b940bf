# Runs one C program in a fresh directory and checks what it did.
#   -DPROGRAM=<path> -DWORKDIR=<dir> -DEXPECT_STDOUT=<file> -DEXPECT_STATUS=<n>
#   [-DEXPECT_FILE=<name in WORKDIR> -DREFERENCE=<file>]
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
set(ENV{SOURCE_DATE_EPOCH} 1700000000)
execute_process(COMMAND "${PROGRAM}" WORKING_DIRECTORY "${WORKDIR}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${status}" STREQUAL "${EXPECT_STATUS}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXPECT_STATUS}\n${out}\n${err}")
endif()
file(READ "${EXPECT_STDOUT}" want)
if(NOT out STREQUAL want)
  message(FATAL_ERROR "standard output differs:\n--- got\n${out}\n--- expected\n${want}")
endif()
if(DEFINED EXPECT_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${WORKDIR}/${EXPECT_FILE}" "${REFERENCE}"
                  RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${EXPECT_FILE} differs from ${REFERENCE}")
  endif()
endif()
