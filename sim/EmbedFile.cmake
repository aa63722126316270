# Writes a header holding the bytes of INPUT as the array NAME (and NAME
# followed by Size), so that the library carries the file within itself.
# Usage: cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P EmbedFile.cmake
file(READ "${INPUT}" contents HEX)
string(LENGTH "${contents}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${contents}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n#pragma once\n#include <cstddef>\n\nnamespace sim {\n\ninline constexpr unsigned char ${NAME}[] = {\n    ${bytes}0x00};\ninline constexpr std::size_t ${NAME}Size = ${size};\n\n}  // namespace sim\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
