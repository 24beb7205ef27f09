#include "kernel/PathMapping.h"

namespace winapi::kernel {

std::optional<std::string> utf16ToUtf8(LPCWSTR text) {
    std::string out;
    for (const WCHAR* p = text; *p; ++p) {
        uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (p[1] < 0xDC00 || p[1] > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        bool ok = i + extra < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char cont = static_cast<unsigned char>(text[i + k]);
            if ((cont & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (cont & 0x3F);
        }
        if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::optional<std::string> linuxPathFromWindows(LPCWSTR path, DWORD* error) {
    auto fail = [&](DWORD code) -> std::optional<std::string> {
        if (error) *error = code;
        return std::nullopt;
    };
    if (!path || !*path) return fail(ERROR_PATH_NOT_FOUND);
    auto isSep = [](WCHAR c) { return c == u'\\' || c == u'/'; };
    const WCHAR* rest = path;
    std::string out;
    if (((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z')) &&
        path[1] == u':') {
        if (path[0] != u'Z' && path[0] != u'z') return fail(ERROR_PATH_NOT_FOUND);
        rest = path + 2;
        out = "/"; // "Z:" and "Z:name" both start at the root: Z: has no current folder here
    } else if (isSep(path[0]) && isSep(path[1])) {
        return fail(ERROR_BAD_NETPATH);
    }
    auto utf8 = utf16ToUtf8(rest);
    if (!utf8) return fail(ERROR_INVALID_NAME);
    for (char c : *utf8) {
        char mapped = c == '\\' ? '/' : c;
        if (mapped == '/' && !out.empty() && out.back() == '/') continue;
        out += mapped;
    }
    return out;
}

std::u16string windowsPathFromLinux(const std::string& path) {
    std::string mapped = "Z:";
    if (path.empty() || path[0] != '/') mapped += '\\';
    for (char c : path)
        mapped += c == '/' ? '\\' : c;
    return utf8ToUtf16(mapped);
}

} // namespace winapi::kernel
