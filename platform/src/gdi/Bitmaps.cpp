// Bitmaps: compatible bitmaps for off-screen drawing, and bitmap resources
// (packed device-independent bitmaps: header, colour table, pixels) loaded
// from the embedded resources.
#include "gdi/Bitmaps.h"
#include "gdi/DeviceContext.h"
#include "res/Resources.h"

#include <cstring>
#include <mutex>
#include <vector>

using namespace winapi;

namespace winapi {

namespace {
std::mutex g_keptMutex;
std::vector<QImage>& keptImages() {
    static auto* kept = new std::vector<QImage>; // lives as long as the process
    return *kept;
}
constexpr size_t kKeptImages = 2;
constexpr qsizetype kKeptMinBytes = 64 * 1024;
} // namespace

void recycleBitmapImage(QImage&& image) {
    // Only pixels nobody else shares, and only blocks worth keeping.
    if (image.isNull() || !image.isDetached() || image.sizeInBytes() < kKeptMinBytes ||
        image.format() != QImage::Format_RGB32)
        return;
    std::lock_guard<std::mutex> lock(g_keptMutex);
    auto& kept = keptImages();
    if (kept.size() >= kKeptImages) kept.erase(kept.begin());
    kept.push_back(std::move(image));
}

QImage takeBitmapImage(int width, int height) {
    {
        std::lock_guard<std::mutex> lock(g_keptMutex);
        auto& kept = keptImages();
        for (auto it = kept.begin(); it != kept.end(); ++it) {
            if (it->width() == width && it->height() == height) {
                QImage image = std::move(*it);
                kept.erase(it);
                return image;
            }
        }
    }
    return QImage(width, height, QImage::Format_RGB32);
}

} // namespace winapi

namespace {

constexpr int kMaxSide = 16384;
constexpr uint32_t kBiRgb = 0, kBiBitfields = 3;

uint16_t rd16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t rd32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Value of a channel under `mask`, scaled to 0..255.
int channel(uint32_t pixel, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t max = mask >> shift;
    uint32_t v = (pixel & mask) >> shift;
    return static_cast<int>((v * 255 + max / 2) / max);
}

} // namespace

namespace winapi {

// Decodes a packed DIB (no file header). Uncompressed 1, 4, 8, 16, 24 and 32
// bits per pixel, and bit fields for 16 and 32; a null image otherwise, or
// when the data is too short for what the header announces.
QImage decodePackedDib(const uint8_t* data, size_t size) {
    if (size < 12) return {};
    uint32_t headerSize = rd32(data);
    int64_t width, height;
    int bpp;
    uint32_t compression = kBiRgb, colorsUsed = 0;
    size_t paletteEntrySize = 4;
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    size_t offset;
    if (headerSize == 12) {
        width = rd16(data + 4);
        height = static_cast<int16_t>(rd16(data + 6));
        bpp = rd16(data + 10);
        paletteEntrySize = 3;
        offset = 12;
    } else if (headerSize >= 40 && headerSize <= size) {
        width = static_cast<int32_t>(rd32(data + 4));
        height = static_cast<int32_t>(rd32(data + 8));
        bpp = rd16(data + 14);
        compression = rd32(data + 16);
        colorsUsed = rd32(data + 32);
        offset = headerSize;
        if (compression == kBiBitfields) {
            // Masks follow a plain header, or are part of a larger one.
            if (headerSize == 40) {
                if (size < 52) return {};
                offset += 12;
            } else if (headerSize < 52) {
                return {};
            }
            for (int i = 0; i < 3; ++i)
                masks[i] = rd32(data + 40 + 4 * i);
        } else if (compression != kBiRgb) {
            return {};
        }
        if (bpp == 32 && compression == kBiRgb) {
            masks[0] = 0xFF0000;
            masks[1] = 0xFF00;
            masks[2] = 0xFF;
        }
    } else {
        return {};
    }
    bool bottomUp = height > 0;
    if (height < 0) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return {};
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return {};
    if (compression == kBiBitfields && bpp != 16 && bpp != 32) return {};

    QList<QRgb> palette;
    if (bpp <= 8) {
        uint32_t count = colorsUsed ? colorsUsed : (1u << bpp);
        if (count > 256) return {};
        if (offset + count * paletteEntrySize > size) return {};
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = data + offset + i * paletteEntrySize;
            palette.append(qRgb(e[2], e[1], e[0]));
        }
        offset += count * paletteEntrySize;
    }
    size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    if (offset > size || stride * static_cast<size_t>(height) > size - offset) return {};

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = data + offset + stride * static_cast<size_t>(row);
        auto* dst = reinterpret_cast<QRgb*>(
            image.scanLine(bottomUp ? static_cast<int>(height) - 1 - row : row));
        for (int x = 0; x < width; ++x) {
            QRgb rgb = qRgb(0, 0, 0);
            if (bpp <= 8) {
                int bit = x * bpp;
                int index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
                if (index < palette.size()) rgb = palette[index];
            } else if (bpp == 24) {
                const uint8_t* p = src + x * 3;
                rgb = qRgb(p[2], p[1], p[0]);
            } else {
                uint32_t v = bpp == 16 ? rd16(src + x * 2) : rd32(src + x * 4);
                rgb = qRgb(channel(v, masks[0]), channel(v, masks[1]), channel(v, masks[2]));
            }
            dst[x] = rgb;
        }
    }
    return image;
}

} // namespace winapi

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    if (!findDc(hdc) || cx < 0 || cy < 0 || cx > kMaxSide || cy > kMaxSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A zero size gives a 1 x 1 bitmap, as on Windows.
    if (cx == 0 || cy == 0) cx = cy = 1;
    auto* bmp = new Bitmap;
    bmp->image = takeBitmapImage(cx, cy);
    if (bmp->image.isNull()) {
        delete bmp;
        return nullptr;
    }
    bmp->image.fill(Qt::black);
    countCompatibleBitmap();
    return static_cast<HBITMAP>(addGdiObject(bmp));
}

HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
    // A null instance names the system's own bitmaps, which the layer has none of.
    ResourceData res;
    if (!hInstance || !findResource(hInstance, kRtBitmap, lpBitmapName, &res)) return nullptr;
    QImage image = decodePackedDib(res.data, res.size);
    if (image.isNull()) return nullptr;
    auto* bmp = new Bitmap;
    bmp->image = std::move(image);
    return static_cast<HBITMAP>(addGdiObject(bmp));
}
