// The comma splitter: whole field tables for standard, short, odd and
// overlong sentences, in both modes.
#include <gtest/gtest.h>

#include "NmeaTestUtil.h"
#include "nmea/FieldStore.h"
#include "nmea/NmeaText.h"

namespace {

struct SplitCase {
    const char* name;
    SplitMode mode;
    int count; // the table's field count
    std::string line;
    std::vector<std::string> fields; // fields 0..last as written
    int data;                        // fields before the checksum field
};

const std::string kPrefill = "old";

const SplitCase kSplitCases[] = {
    {"RmcModeIndicatorEndsByCount",
     SPLIT_COUNTED,
     13,
     "$GPRMC,,V,,,,,,,,,,N*53\r\n",
     {"$GPRMC", "", "V", "", "", "", "", "", "", "", "", "", "N"},
     13},
    {"RmcEmptyLastFieldEndsAtStar",
     SPLIT_COUNTED,
     13,
     "$GPRMC,123519.000,V,,,,,,,230394,,*2D\r\n",
     {"$GPRMC", "123519.000", "V", "", "", "", "", "", "", "230394", ""},
     11},
    {"RmcWithoutModeGetsChecksumField",
     SPLIT_COUNTED,
     13,
     "$GPRMC,081530.000,A,4807.0380,N,01131.5678,E,054.9,123.4,150623,3.1,W*6A\r\n",
     {"$GPRMC", "081530.000", "A", "4807.0380", "N", "01131.5678", "E", "054.9", "123.4", "150623",
      "3.1", "W", "6A"},
     12},
    {"GsaChecksumAsField18",
     SPLIT_COUNTED,
     19,
     "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n",
     {"$GPGSA", "A", "3", "04", "05", "", "09", "12", "", "", "24", "", "", "", "", "2.5", "1.3",
      "2.1", "39"},
     18},
    {"CountedStopsAtCr", SPLIT_COUNTED, 19, "$GPGSA,A,3\r\n", {"$GPGSA", "A", "3"}, 3},
    {"CountedLfOnlyEndsWithText",
     SPLIT_COUNTED,
     19,
     "$GPGSA,A,3,04,05*1F\n",
     {"$GPGSA", "A", "3", "04", "05", "1F\\n"},
     5},
    {"CountedNoLineEnd", SPLIT_COUNTED, 19, "$GPGSA,A,3,04", {"$GPGSA", "A", "3", "04"}, 4},
    {"CountedTrailingComma", SPLIT_COUNTED, 19, "$GPGSA,A,", {"$GPGSA", "A", ""}, 3},
    {"CountedEmptyLine", SPLIT_COUNTED, 13, "", {""}, 1},
    {"CountedStarFirst", SPLIT_COUNTED, 13, "*", {"", ""}, 1},
    {"CountedOverlongFieldCut",
     SPLIT_COUNTED,
     13,
     "$GPRMC," + std::string(60, '9') + ",A\r\n",
     {"$GPRMC", std::string(47, '9'), "A"},
     3},
    {"GsvNoSatellites", SPLIT_GSV, 21, "$GPGSV,1,1,00*79\r\n", {"$GPGSV", "1", "1", "00", "79"}, 4},
    {"GsvEmptyElevationAzimuth",
     SPLIT_GSV,
     21,
     "$GPGSV,4,4,13,38,,,37*74\r\n",
     {"$GPGSV", "4", "4", "13", "38", "", "", "37", "74"},
     8},
    {"GsvStarDoesNotEndSplit", SPLIT_GSV, 21, "$GPGSV,1*2,3\r\n", {"$GPGSV", "1", "2", "3"}, 2},
    {"GsvNoLineEnd", SPLIT_GSV, 21, "$GPGSV,1,1,00", {"$GPGSV", "1", "1", "00"}, 4},
    {"GsvFourSatellitesAndSignalIdDropsChecksum",
     SPLIT_GSV,
     21,
     "$GPGSV,1,1,04,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1*66\r\n",
     {"$GPGSV", "1",  "1",  "04",  "01", "40", "083", "46",  "02", "17", "308",
      "41",     "12", "07", "344", "39", "14", "22",  "228", "45", "1"},
     21},
    {"GsvManyFieldsStayInTable",
     SPLIT_GSV,
     21,
     "$GPGSV" + std::string(40, ',') + "\r\n",
     {"$GPGSV", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""},
     21},
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitFieldsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitFieldsTest, WritesExactlyTheseFields) {
    const SplitCase& c = GetParam();
    // One field more than any table, filled with text of an earlier sentence.
    FieldTable<22> table;
    for (auto& f : table.f)
        CopyText(f, FIELD_CHARS, W(kPrefill).c_str());

    int data = -1;
    const int last = SplitFields(W(c.line).c_str(), table.f, c.count, c.mode, &data);

    std::vector<std::string> got;
    for (int i = 0; i <= last; i++)
        got.push_back(A(table[i]));
    EXPECT_EQ(got, c.fields);
    EXPECT_EQ(last, (int)c.fields.size() - 1);
    EXPECT_EQ(data, c.data);
    for (int i = last + 1; i < 22; i++)
        EXPECT_EQ(A(table[i]), kPrefill) << "field " << i << " was written";
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitFieldsTest, testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct IntCase {
    const char* field;
    int pos;
    int value;
    BOOL digits;
};

TEST(ReadFieldIntTest, ReadsLikePercentDWithinTheField) {
    const IntCase cases[] = {
        {"022.4", 0, 22, TRUE},
        {"081530.000", 2, 1530, TRUE},
        {"081530.000", 4, 30, TRUE},
        {"4807.0380", 5, 380, TRUE},
        {" -12x", 0, -12, TRUE},
        {"+7", 0, 7, TRUE},
        {"abc", 0, 0, FALSE},
        {"-", 0, 0, FALSE},
        {"", 0, 0, FALSE},
        {"12", 2, 0, FALSE}, // at the terminator
        {"12", 5, 0, FALSE}, // beyond the field: never read
        {"99999999999", 0, 2147483647, TRUE},
        {"-99999999999", 0, -2147483647 - 1, TRUE},
    };
    for (const IntCase& c : cases) {
        // The field sits in front of digits that must not be read.
        std::u16string buf = W(c.field);
        buf.push_back(0);
        buf += u"777";
        BOOL digits = -1;
        EXPECT_EQ(ReadFieldInt(buf.c_str(), c.pos, &digits), c.value) << c.field << " @" << c.pos;
        EXPECT_EQ(digits, c.digits) << c.field << " @" << c.pos;
    }
}

} // namespace
