# cmake -DCHECK=exports|imports -DDLL=Kestrion.dll -DOBJDUMP=x86_64-w64-mingw32-objdump -P CheckWindowsDll.cmake
#   exports: the export table names exactly EXPORTS (a ;-list; default
#            VSTPluginMain;main).
#   imports: every imported DLL is one that Windows itself ships; the C, C++
#            and thread runtimes, zlib and libpng must be linked in statically.
cmake_policy(VERSION 3.25)
set(check "${CHECK}")
if(NOT EXISTS "${DLL}")
  message(FATAL_ERROR "the plug-in DLL ${DLL} was not built")
endif()
execute_process(COMMAND "${OBJDUMP}" -p "${DLL}"
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p failed on ${DLL}: ${err}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${out}")

if(NOT DEFINED EXPORTS)
  set(EXPORTS "VSTPluginMain;main")
endif()
string(REPLACE "," ";" EXPORTS "${EXPORTS}")  # a comma-list passes through ctest whole
list(SORT EXPORTS)

if(check STREQUAL "exports")
  set(exported)
  set(in_names OFF)
  foreach(line IN LISTS lines)
    if(line MATCHES "\\[Ordinal/Name Pointer\\] Table")
      set(in_names ON)
    elseif(in_names AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] (.+)$")
      list(APPEND exported "${CMAKE_MATCH_1}")
    elseif(in_names)
      set(in_names OFF)
    endif()
  endforeach()
  list(SORT exported)
  if(NOT exported STREQUAL "${EXPORTS}")
    message(FATAL_ERROR "${DLL} must export exactly ${EXPORTS}; "
      "its export table names: [${exported}]")
  endif()
  message(STATUS "exports: ${EXPORTS}")

elseif(check STREQUAL "imports")
  # DLLs that every Windows x64 installation has.
  set(system_dlls
    kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 comdlg32 comctl32
    wininet msvcrt shlwapi winmm msimg32 imm32 version uxtheme dwmapi ws2_32
    winspool.drv ntdll bcrypt crypt32 secur32 setupapi rpcrt4 userenv)
  set(imported)
  set(foreign)
  foreach(line IN LISTS lines)
    if(line MATCHES "DLL Name: (.+)$")
      string(STRIP "${CMAKE_MATCH_1}" name)
      list(APPEND imported "${name}")
      string(TOLOWER "${name}" lower)
      string(REGEX REPLACE "\\.dll$" "" lower "${lower}")
      if(NOT lower IN_LIST system_dlls)
        list(APPEND foreign "${name}")
      endif()
    endif()
  endforeach()
  if(NOT imported)
    message(FATAL_ERROR "objdump -p found no import table in ${DLL}")
  endif()
  if(foreign)
    message(FATAL_ERROR "${DLL} imports DLLs that Windows does not ship: ${foreign} "
      "(all imports: ${imported}). Link the runtimes, zlib and libpng statically.")
  endif()
  message(STATUS "imports: ${imported}")

else()
  message(FATAL_ERROR "usage: cmake -DCHECK=exports|imports -DDLL=... -DOBJDUMP=... -P CheckWindowsDll.cmake")
endif()
