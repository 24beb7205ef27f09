// Cuts a byte stream into lines exactly as the link's reader thread does:
// each line up to and including its line feed, bytes widened by sign
// extension; 511 characters without a line feed are dropped together with
// the next byte; a last line without a line feed is never delivered.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

class LineCutter {
  public:
    using Deliver = std::function<void(const WCHAR* line)>;
    explicit LineCutter(Deliver deliver) : m_deliver(std::move(deliver)) {}
    void feed(const unsigned char* data, size_t size);

  private:
    Deliver m_deliver;
    WCHAR m_line[512] = {};
    int m_count = 0;
};
