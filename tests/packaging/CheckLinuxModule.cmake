# cmake -DCHECK=exports|imports -DMODULE=Kestrion.so -DNM=nm -DLDD=ldd [-DREADELF=readelf] -P CheckLinuxModule.cmake
#   exports: the module's defined dynamic symbols are exactly EXPORTS (a
#            ;-list; default VSTPluginMain;main).
#   imports: every library it names is found in the system's library folders
#            and every undefined symbol resolves in them (ldd -r); with
#            READELF, every library it names directly is one it may link.
cmake_policy(VERSION 3.25)
set(check "${CHECK}")
if(NOT EXISTS "${MODULE}")
  message(FATAL_ERROR "the plug-in module ${MODULE} was not built")
endif()

if(NOT DEFINED EXPORTS)
  set(EXPORTS "VSTPluginMain;main")
endif()
string(REPLACE "," ";" EXPORTS "${EXPORTS}")  # a comma-list passes through ctest whole
list(SORT EXPORTS)

if(check STREQUAL "exports")
  execute_process(COMMAND "${NM}" -D --defined-only "${MODULE}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm -D failed on ${MODULE}: ${err}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${out}")
  set(exported)
  foreach(line IN LISTS lines)
    # "address type name[@version]"
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ @]+)")
      list(APPEND exported "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(SORT exported)
  if(NOT exported STREQUAL "${EXPORTS}")
    list(LENGTH exported count)
    list(SUBLIST exported 0 20 shown)
    list(JOIN shown ", " shown)
    message(FATAL_ERROR "${MODULE} must export exactly ${EXPORTS} as "
      "dynamic symbols; nm -D --defined-only lists ${count}: ${shown}")
  endif()
  message(STATUS "exports: ${EXPORTS}")

elseif(check STREQUAL "imports")
  execute_process(COMMAND "${LDD}" -r "${MODULE}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  set(problems)
  if(NOT rc EQUAL 0)
    list(APPEND problems "ldd -r exited with ${rc}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${out}\n${err}")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "undefined symbol")
      list(APPEND problems "${line}")
    elseif(line MATCHES "=> not found")
      list(APPEND problems "missing library: ${line}")
    elseif(line MATCHES "=> (/[^ ]+)")
      if(NOT CMAKE_MATCH_1 MATCHES "^/(usr/)?lib(64|32|x32)?/")
        list(APPEND problems "not a system library: ${line}")
      endif()
    endif()
  endforeach()
  if(READELF)
    # The libraries the product may link, the C and C++ runtimes and, in
    # sanitizer builds, the sanitizers' own.
    set(allowed libpng16 libz libfreetype libfontconfig libX11 libXext libstdc\\+\\+ libm libgcc_s libc
        ld-linux-x86-64 ld-linux-aarch64 libasan libubsan libtsan)
    list(JOIN allowed "|" allowed)
    execute_process(COMMAND "${READELF}" -d "${MODULE}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      list(APPEND problems "readelf -d exited with ${rc}")
    endif()
    string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
    foreach(entry IN LISTS needed)
      string(REGEX REPLACE "Shared library: \\[([^]]+)\\]" "\\1" library "${entry}")
      if(NOT library MATCHES "^(${allowed})\\.so(\\.[0-9]+)*$")
        list(APPEND problems "a library the plug-in may not link: ${library}")
      endif()
    endforeach()
  endif()
  if(problems)
    list(JOIN problems "\n  " problems)
    message(FATAL_ERROR "${MODULE} does not load with the system libraries alone:\n  "
      "${problems}\nldd -r output:\n${out}${err}")
  endif()
  message(STATUS "ldd -r: every library and symbol resolves\n${out}")
  if(READELF)
    message(STATUS "readelf -d: the module names only allowed libraries")
  endif()

else()
  message(FATAL_ERROR "usage: cmake -DCHECK=exports|imports -DMODULE=... -DNM=... -DLDD=... -P CheckLinuxModule.cmake")
endif()
