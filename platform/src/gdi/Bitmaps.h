// Decoding of bitmap resources.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace winapi {

// A packed device-independent bitmap (header, colour table, pixels; no file
// header) as an RGB32 image; a null image when it cannot be read.
QImage decodePackedDib(const uint8_t* data, size_t size);

} // namespace winapi
