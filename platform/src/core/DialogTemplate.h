// Extended dialog templates parsed into plain structs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace winapi {

struct DialogItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    int32_t id = 0;
    uint16_t classAtom = 0;   // 0x80 button, 0x81 edit, 0x82 static, 0x85 combo box
    std::u16string className; // when the class is named
    std::u16string title;
};

struct DialogTemplate {
    DWORD helpId = 0, exStyle = 0, style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::u16string title;
    int pointSize = 0, weight = 0;
    std::u16string typeface;
    std::vector<DialogItem> items;
};

// Parses a DLGTEMPLATEEX; false when it is truncated or of another kind.
bool parseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* out);

void registerDialogClass();

} // namespace winapi
