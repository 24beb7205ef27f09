#include <windows.h>

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {

struct IntCase {
    const char16_t* format;
    int value;
    const char16_t* expected;
};

const IntCase kIntCases[] = {
    {u"%d", 0, u"0"},
    {u"%d", -42, u"-42"},
    {u"%i", 12, u"12"},
    {u"%ld", 7, u"7"},
    {u"%d", INT_MIN, u"-2147483648"},
    {u"%5d|", 42, u"   42|"},
    {u"%-5d|", 42, u"42   |"},
    {u"%05d", -42, u"-0042"},
    {u"%-05d|", 42, u"42   |"},
    {u"%.4d", 7, u"0007"},
    {u"%.4d", 2023, u"2023"},
    {u"%.2d", 5, u"05"},
    {u"%.2d", 123, u"123"},
    {u"%.4d", -5, u"-0005"},
    {u"%6.3d|", 5, u"   005|"},
    {u"%u", -1, u"4294967295"},
    {u"%x", 255, u"ff"},
    {u"%X", 255, u"FF"},
    {u"%04X", 10, u"000A"},
    {u"%#x", 255, u"0xff"},
    {u"%c", 'A', u"A"},
    {u"%3c|", 'A', u"  A|"},
    {u"100%% %d", 5, u"100% 5"},
    {u"%d Km/hr", 100, u"100 Km/hr"},
};

} // namespace

TEST(Wsprintf, IntegerConversions) {
    for (const auto& c : kIntCases) {
        WCHAR out[64];
        int n = wsprintfW(out, c.format, c.value);
        EXPECT_EQ(std::u16string(out), std::u16string(c.expected))
            << "format " << std::string(c.format, c.format + lstrlenW(c.format));
        EXPECT_EQ(n, lstrlenW(c.expected));
    }
}

TEST(Wsprintf, StringConversions) {
    struct Case {
        const char16_t* format;
        const char16_t* value;
        const char16_t* expected;
    } cases[] = {
        {u"%s", u"abc", u"abc"},
        {u"%5s|", u"abc", u"  abc|"},
        {u"%-5s|", u"abc", u"abc  |"},
        {u"%.2s", u"abc", u"ab"},
        {u"%s", u"", u""},
        {u"[%s]", nullptr, u"[(null)]"},
        {u"%s", u"\u00e9\uffb0", u"\u00e9\uffb0"},
    };
    for (const auto& c : cases) {
        WCHAR out[64];
        int n = wsprintfW(out, c.format, c.value);
        EXPECT_EQ(std::u16string(out), std::u16string(c.expected));
        EXPECT_EQ(n, lstrlenW(c.expected));
    }
}

TEST(Wsprintf, SeveralArgumentsAsTheSystemFormatsThem) {
    WCHAR out[64];
    wsprintfW(out, u"%.4d/%.2d/%.2d", 2023, 6, 15);
    EXPECT_EQ(std::u16string(out), u"2023/06/15");
    wsprintfW(out, u"%.2d:%.2d:%.2d", 10, 5, 0);
    EXPECT_EQ(std::u16string(out), u"10:05:00");
    wsprintfW(out, u"%s  %s", u"COM3", u"GPS Receiver");
    EXPECT_EQ(std::u16string(out), u"COM3  GPS Receiver");
    wsprintfW(out, u"%d%s%c", -3, u"x", u'y');
    EXPECT_EQ(std::u16string(out), u"-3xy");
}

TEST(Wsprintf, WritesAtMost1024CharactersWithTerminator) {
    std::u16string longText(2000, u'a');
    std::u16string out(1100, u'#');
    int n = wsprintfW(out.data(), u"%s%d", longText.c_str(), 5);
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(out[1022], u'a');
    EXPECT_EQ(out[1023], u'\0');
    EXPECT_EQ(out[1024], u'#');
}
