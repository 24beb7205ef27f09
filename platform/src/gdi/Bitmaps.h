// Decoding of bitmap resources.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace winapi {

// A packed device-independent bitmap (header, colour table, pixels; no file
// header) as an RGB32 image; a null image when it cannot be read.
QImage decodePackedDib(const uint8_t* data, size_t size);

// Off-screen bitmaps are made and deleted with every paint. The pixels of a
// deleted large bitmap are kept for the next bitmap of the same size, so a
// paint does not allocate (and fault in) half a megabyte each time, and the
// heap does not fragment around such blocks.
void recycleBitmapImage(QImage&& image);
// An RGB32 image of the size, from the kept ones if one fits, else new;
// its contents are undefined.
QImage takeBitmapImage(int width, int height);

} // namespace winapi
