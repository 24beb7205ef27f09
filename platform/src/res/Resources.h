// The resource loader: reads the standard .res format embedded in the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace winapi {

enum ResourceType : uint16_t {
    kRtCursor = 1,
    kRtBitmap = 2,
    kRtIcon = 3,
    kRtMenu = 4,
    kRtDialog = 5,
    kRtString = 6,
    kRtAccelerator = 9,
    kRtGroupIcon = 14,
    kRtVersion = 16,
    kRtManifest = 24,
};

struct ResourceData {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// The program's own module; its HINSTANCE identifies the embedded resources.
HINSTANCE mainInstance();

// Finds a resource of `type` named by an integer (MAKEINTRESOURCE) or a
// string. False when the module has none.
bool findResource(HINSTANCE instance, uint16_t type, LPCWSTR name, ResourceData* out);

} // namespace winapi
