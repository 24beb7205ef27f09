// Parses the embedded .res file and serves strings, accelerators, icons and
// cursors from it; menus, dialogs and bitmaps use findResource.
#include "res/Resources.h"

#include "core/Window.h"
#include "res/ResourceBlob.h"

#include <QBuffer>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <cstring>

namespace winapi {

namespace {

struct Entry {
    bool typeIsId = true;
    uint16_t typeId = 0;
    std::u16string typeName;
    bool nameIsId = true;
    uint16_t nameId = 0;
    std::u16string name;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

struct Module {
    std::vector<Entry> entries;
};

Module& module() {
    static Module m;
    return m;
}

uint16_t rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t rd32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads an ordinal (FFFF id) or a NUL-terminated UTF-16 name; advances p.
bool readNameOrId(const uint8_t*& p, const uint8_t* end, bool& isId, uint16_t& id,
                  std::u16string& name) {
    if (end - p < 2) return false;
    if (rd16(p) == 0xFFFF) {
        if (end - p < 4) return false;
        isId = true;
        id = rd16(p + 2);
        p += 4;
        return true;
    }
    isId = false;
    while (end - p >= 2) {
        uint16_t c = rd16(p);
        p += 2;
        if (!c) return true;
        name.push_back(static_cast<char16_t>(c));
    }
    return false;
}

void parse(const uint8_t* data, size_t size) {
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    while (end - p >= 32) {
        uint32_t dataSize = rd32(p);
        uint32_t headerSize = rd32(p + 4);
        if (headerSize < 24 || headerSize > static_cast<size_t>(end - p) ||
            dataSize > static_cast<size_t>(end - p) - headerSize)
            return;
        const uint8_t* q = p + 8;
        const uint8_t* hend = p + headerSize;
        Entry e;
        if (!readNameOrId(q, hend, e.typeIsId, e.typeId, e.typeName)) return;
        if (!readNameOrId(q, hend, e.nameIsId, e.nameId, e.name)) return;
        e.data = p + headerSize;
        e.size = dataSize;
        if (!(e.typeIsId && e.typeId == 0 && dataSize == 0)) module().entries.push_back(e);
        size_t step = headerSize + ((dataSize + 3u) & ~3u);
        if (step > static_cast<size_t>(end - p)) return;
        p += step;
    }
}

bool nameMatches(const Entry& e, LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return e.nameIsId && e.nameId == reinterpret_cast<uintptr_t>(name);
    if (e.nameIsId) {
        // "#123" names the integer resource 123.
        if (name[0] == u'#') return toQString(name + 1).toUInt() == e.nameId;
        return false;
    }
    return QString::compare(toQString(e.name), toQString(name), Qt::CaseInsensitive) == 0;
}

} // namespace

ResourceBlob::ResourceBlob(const unsigned char* data, size_t size) { parse(data, size); }

HINSTANCE mainInstance() { return reinterpret_cast<HINSTANCE>(&module()); }

bool findResource(HINSTANCE instance, uint16_t type, LPCWSTR name, ResourceData* out) {
    if (instance && instance != mainInstance()) return false;
    if (!name) return false;
    for (const Entry& e : module().entries) {
        if (e.typeIsId && e.typeId == type && nameMatches(e, name)) {
            out->data = e.data;
            out->size = e.size;
            return true;
        }
    }
    return false;
}

// Icons and cursors are handles to these.
struct IconObject {
    QIcon icon;
};

} // namespace winapi

using namespace winapi;

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int max) {
    if (!buffer) return 0;
    ResourceData res;
    if (!findResource(instance, kRtString, MAKEINTRESOURCEW((id >> 4) + 1), &res)) {
        if (max > 0) buffer[0] = 0;
        SetLastError(1814); // ERROR_RESOURCE_NAME_NOT_FOUND
        return 0;
    }
    const uint8_t* p = res.data;
    const uint8_t* end = res.data + res.size;
    for (UINT i = 0; i < (id & 15); ++i) {
        if (end - p < 2) return 0;
        p += 2 + 2 * size_t(rd16(p));
    }
    if (end - p < 2) return 0;
    size_t len = rd16(p);
    p += 2;
    if (static_cast<size_t>(end - p) < 2 * len) len = static_cast<size_t>(end - p) / 2;
    if (max == 0) {
        // Windows hands out a read-only pointer to the resource text.
        *reinterpret_cast<const uint8_t**>(buffer) = p;
        return static_cast<int>(len);
    }
    if (max < 0) return 0;
    size_t n = std::min<size_t>(len, static_cast<size_t>(max - 1));
    for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<WCHAR>(rd16(p + 2 * i));
    buffer[n] = 0;
    return static_cast<int>(n);
}

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
    ResourceData res;
    if (!findResource(instance, kRtAccelerator, name, &res)) {
        SetLastError(1814);
        return nullptr;
    }
    // The table stays in the resource data; the handle points at it.
    return reinterpret_cast<HACCEL>(const_cast<uint8_t*>(res.data));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL) { return TRUE; }

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
    ResourceData group;
    if (!instance || !findResource(instance, kRtGroupIcon, name, &group) || group.size < 6) {
        SetLastError(1813); // ERROR_RESOURCE_TYPE_NOT_FOUND
        return nullptr;
    }
    // Rebuild an .ico file from the group directory and its images.
    uint16_t count = rd16(group.data + 4);
    if (group.size < 6 + size_t(count) * 14) return nullptr;
    QByteArray ico;
    QByteArray images;
    ico.append(reinterpret_cast<const char*>(group.data), 6);
    uint32_t offset = 6 + 16u * count;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* e = group.data + 6 + 14 * i;
        ResourceData img;
        if (!findResource(instance, kRtIcon, MAKEINTRESOURCEW(rd16(e + 12)), &img)) continue;
        char entry[16];
        std::memcpy(entry, e, 8);
        uint32_t size = static_cast<uint32_t>(img.size);
        std::memcpy(entry + 8, &size, 4);
        uint32_t off = offset + static_cast<uint32_t>(images.size());
        std::memcpy(entry + 12, &off, 4);
        ico.append(entry, 16);
        images.append(reinterpret_cast<const char*>(img.data), static_cast<qsizetype>(img.size));
    }
    ico.append(images);
    auto* object = new IconObject;
    QPixmap pixmap;
    if (pixmap.loadFromData(ico, "ICO")) object->icon.addPixmap(pixmap);
    return reinterpret_cast<HICON>(object);
}

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    static IconObject arrow;
    return instance ? nullptr : reinterpret_cast<HCURSOR>(&arrow);
}

namespace winapi {
QIcon iconOf(HICON icon) {
    return icon ? reinterpret_cast<IconObject*>(icon)->icon : QIcon();
}
} // namespace winapi
