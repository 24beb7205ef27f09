# Turns the compiled resource file into a C++ array that registers itself with
# the platform layer's resource loader.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR size "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUT} "// Generated from app.res; do not edit.\n#include \"res/ResourceBlob.h\"\n"
  "static const unsigned char kAppRes[${size}] = {\n${bytes}};\n"
  "static const winapi::ResourceBlob kReg(kAppRes, ${size});\n")
