#include "JsonOut.h"

#include <cstdio>

std::string jsonString(LPCWSTR text) {
    std::string out = "\"";
    for (const WCHAR* p = text; p && *p; ++p) {
        char16_t c = *p;
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        }
    }
    out += '"';
    return out;
}
