# cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=PROGINIT -DTYPE=PROGDATA -P EmbedResource.cmake
# Writes a C++ file that compiles the bytes of INPUT into the module and
# registers them as resource NAME of TYPE when the module is loaded.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
string(MAKE_C_IDENTIFIER "${NAME}_${TYPE}" symbol)
file(WRITE "${OUTPUT}.new" "// Generated from ${INPUT}; do not edit.
#include \"platform/ModuleResource.h\"

namespace {

alignas(16) const unsigned char k${symbol}[${size} + 1] = {
${bytes}0};

const bool registered_${symbol} =
    (platform::RegisterModuleResource(\"${NAME}\", \"${TYPE}\", k${symbol}, ${size}), true);

}  // namespace
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
