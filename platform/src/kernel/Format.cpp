// wsprintfW: the Windows formatter for the conversions the system uses.
//
// Syntax: %[-][#][0][width][.precision][l|h|I64]type with type one of
// d i u x X c C s S %. For integers the precision is a minimum digit count
// ("%.4d" of 7 is "0007"); for strings it is a maximum length. The output is
// limited to 1024 characters including the terminator, like the original.
#include <windows.h>

#include <cstdarg>
#include <type_traits>

namespace {

constexpr int kMaxOutput = 1024; // characters, terminator included

class Output {
  public:
    explicit Output(LPWSTR out) : out_(out) {}
    void put(WCHAR c) {
        if (n_ < kMaxOutput - 1) out_[n_++] = c;
    }
    void repeat(WCHAR c, int count) {
        for (int i = 0; i < count; ++i)
            put(c);
    }
    int finish() {
        out_[n_] = 0;
        return n_;
    }

  private:
    LPWSTR out_;
    int n_ = 0;
};

struct Conversion {
    bool left = false;
    bool zero = false;
    bool alt = false;
    int width = 0;
    int precision = -1;
    bool narrow = false; // 'h' prefix: %hs is a char string, %hc a char
    bool wide64 = false; // 'I64' prefix
};

void formatInteger(Output& out, const Conversion& conv, WCHAR type, unsigned long long magnitude,
                   bool negative) {
    WCHAR digits[32];
    int n = 0;
    const char* alphabet = type == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    unsigned base = (type == u'x' || type == u'X') ? 16 : 10;
    do {
        digits[n++] = static_cast<WCHAR>(alphabet[magnitude % base]);
        magnitude /= base;
    } while (magnitude != 0);

    int zeros = conv.precision > n ? conv.precision - n : 0;
    bool prefix = conv.alt && base == 16 && !(n == 1 && digits[0] == u'0');
    int length = n + zeros + (negative ? 1 : 0) + (prefix ? 2 : 0);
    int pad = conv.width > length ? conv.width - length : 0;
    if (!conv.left && conv.zero && conv.precision < 0) {
        zeros += pad;
        pad = 0;
    }
    if (!conv.left) out.repeat(u' ', pad);
    if (negative) out.put(u'-');
    if (prefix) {
        out.put(u'0');
        out.put(type);
    }
    out.repeat(u'0', zeros);
    while (n > 0)
        out.put(digits[--n]);
    if (conv.left) out.repeat(u' ', pad);
}

template <typename Char> int boundedLength(const Char* s, int precision) {
    int n = 0;
    while ((precision < 0 || n < precision) && s[n])
        ++n;
    return n;
}

template <typename Char> void formatString(Output& out, const Conversion& conv, const Char* s) {
    static const Char kNull[] = {'(', 'n', 'u', 'l', 'l', ')', 0};
    if (!s) s = kNull;
    int n = boundedLength(s, conv.precision);
    int pad = conv.width > n ? conv.width - n : 0;
    if (!conv.left) out.repeat(conv.zero ? u'0' : u' ', pad);
    for (int i = 0; i < n; ++i)
        out.put(static_cast<WCHAR>(static_cast<std::make_unsigned_t<Char>>(s[i])));
    if (conv.left) out.repeat(u' ', pad);
}

} // namespace

int wsprintfW(LPWSTR lpOut, LPCWSTR lpFmt, ...) {
    if (!lpOut) return 0;
    Output out(lpOut);
    if (!lpFmt) return out.finish();

    va_list args;
    va_start(args, lpFmt);
    const WCHAR* p = lpFmt;
    while (*p) {
        if (*p != u'%') {
            out.put(*p++);
            continue;
        }
        const WCHAR* start = p++;
        if (*p == u'%') {
            out.put(*p++);
            continue;
        }
        Conversion conv;
        for (;; ++p) {
            if (*p == u'-')
                conv.left = true;
            else if (*p == u'0')
                conv.zero = true;
            else if (*p == u'#')
                conv.alt = true;
            else
                break;
        }
        while (*p >= u'0' && *p <= u'9')
            conv.width = conv.width < 100000 ? conv.width * 10 + (*p++ - u'0') : (++p, conv.width);
        if (*p == u'.') {
            ++p;
            conv.precision = 0;
            while (*p >= u'0' && *p <= u'9')
                conv.precision = conv.precision < 100000 ? conv.precision * 10 + (*p++ - u'0')
                                                         : (++p, conv.precision);
        }
        if (*p == u'l' || *p == u'w') {
            ++p;
        } else if (*p == u'h') {
            conv.narrow = true;
            ++p;
        } else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
            conv.wide64 = true;
            p += 3;
        }
        WCHAR type = *p;
        switch (type) {
        case u'd':
        case u'i': {
            long long v = conv.wide64 ? va_arg(args, long long) : va_arg(args, int);
            unsigned long long m = v < 0 ? 0ull - static_cast<unsigned long long>(v)
                                         : static_cast<unsigned long long>(v);
            formatInteger(out, conv, type, m, v < 0);
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            unsigned long long v =
                conv.wide64 ? va_arg(args, unsigned long long) : va_arg(args, unsigned int);
            formatInteger(out, conv, type, v, false);
            break;
        }
        case u'c':
        case u'C': {
            int c = va_arg(args, int);
            WCHAR ch = (type == u'C' || conv.narrow)
                           ? static_cast<WCHAR>(static_cast<unsigned char>(c))
                           : static_cast<WCHAR>(c);
            WCHAR one[2] = {ch, 0};
            Conversion single = conv;
            single.precision = 1;
            formatString(out, single, one);
            break;
        }
        case u's':
        case u'S':
            if (type == u'S' || conv.narrow)
                formatString(out, conv, va_arg(args, const char*));
            else
                formatString(out, conv, va_arg(args, const char16_t*));
            break;
        case 0:
            // A lone '%' at the end of the format: copy what was there.
            for (const WCHAR* q = start; q < p; ++q)
                out.put(*q);
            continue;
        default:
            // Unknown conversion: the character itself is written.
            out.put(type);
            break;
        }
        ++p;
    }
    va_end(args);
    return out.finish();
}
