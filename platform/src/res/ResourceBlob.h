// Registration of a compiled resource file (.res) linked into the program.
#pragma once

#include <cstddef>

namespace winapi {

// A static object of this type in the program's generated resource source
// makes the resources available to the main module's loader.
struct ResourceBlob {
    ResourceBlob(const unsigned char* data, size_t size);
};

} // namespace winapi
