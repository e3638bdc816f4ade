# Writes INPUT as a C++ byte array named SYMBOL into OUTPUT (cmake -P).
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from the splash picture; do not edit.\n#include <cstddef>\n\nextern const unsigned char ${SYMBOL}[] = {\n${bytes}\n};\nextern const std::size_t ${SYMBOL}Size = ${size};\n")
