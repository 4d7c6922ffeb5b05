# cmake -DLOG=file -DCOMMAND="prog;arg;..." -P RunQuietly.cmake
# Runs a build step with its output in a file instead of the build tool's
# pipe: a program run under Wine may leave Wine's own services behind, and
# those would keep the pipe open and stall the build until they exit.
execute_process(COMMAND ${COMMAND} OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(READ "${LOG}" output)
  message(FATAL_ERROR "${output}failed (${status}): ${COMMAND}")
endif()
