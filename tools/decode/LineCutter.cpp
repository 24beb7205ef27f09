#include "LineCutter.h"

void LineCutter::feed(const unsigned char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        unsigned char byte = data[i];
        if (m_count > 510) {
            // The line is too long: it ends, dropped with this byte.
            m_count = 0;
            continue;
        }
        if (byte == '\n') {
            m_line[m_count] = 0x000A;
            m_line[m_count + 1] = 0;
            m_count = 0;
            m_deliver(m_line);
            continue;
        }
        m_line[m_count++] = static_cast<WCHAR>(static_cast<signed char>(byte));
    }
}
