# Renders one MIDI file with the Linux build and with the Windows build under
# Wine, then compares the two WAV files.
#   cmake -DLINUX_RENDER= -DLINUX_PLUGIN= -DWINDOWS_RENDER= -DWINDOWS_PLUGIN=
#         -DWINE= -DMIDI= -DPROGRAM= -DOUT= -DCOMPARE= -DTOLERANCE= -P CompareRenders.cmake
foreach(tool LINUX_RENDER LINUX_PLUGIN WINDOWS_RENDER WINDOWS_PLUGIN)
  if(NOT EXISTS "${${tool}}")
    message(FATAL_ERROR "${tool} '${${tool}}' has not been built")
  endif()
endforeach()
file(MAKE_DIRECTORY "${OUT}")
execute_process(
  COMMAND "${LINUX_RENDER}" --program ${PROGRAM} "${LINUX_PLUGIN}" "${MIDI}" "${OUT}/linux.wav"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Linux render failed")
endif()
execute_process(
  COMMAND "${WINE}" "${WINDOWS_RENDER}" --program ${PROGRAM} "${WINDOWS_PLUGIN}" "${MIDI}" "${OUT}/windows.wav"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Windows render under Wine failed")
endif()
execute_process(COMMAND "${COMPARE}" "${OUT}/linux.wav" "${OUT}/windows.wav" ${TOLERANCE}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the renders differ")
endif()
