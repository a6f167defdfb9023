// Texts for pictures: strict UTF-8, and GBK names turned into UTF-8 alike on
// both systems (these rows run under Wine too).
#include "base/utf8.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, TakesOnlyTheShortestFormOfACodePoint) {
    // ASCII with control bytes; two, three and four bytes; the last code
    // point; U+FFFD; GBK for 山农28, which reads as UTF-8 by chance: why the
    // choice is made once for all names, never name by name.
    for (const std::string valid : {"", "G1\t\x01\x7f", "\u00a9\u6d4e\U00020000",
                                    "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBD", "\xC9\xBD\xC5\xA9"})
        EXPECT_TRUE(is_valid_utf8(valid)) << valid;
    // Overlong NUL; overlongs of two, three and four bytes; a surrogate;
    // beyond U+10FFFF; a lead byte that starts nothing; a lone continuation
    // byte; a character cut short at the end, and by ASCII; GBK for 济麦.
    for (const std::string invalid : {"\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",
                                      "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                                      "a\x80", "\xE6\xB5", "\xE6\xB5G", "\xBC\xC3\xC2\xF3"})
        EXPECT_FALSE(is_valid_utf8(invalid)) << invalid;
}

TEST(Gbk, ConvertsEachCharacterAloneAndMarksWhatIsNone) {
    const struct {
        const char* what;
        std::string gbk, utf8;
    } rows[] = {
        {"ASCII and control bytes as they are", "G1 \t\x01\x7f", "G1 \t\x01\x7f"},
        {"济麦22",
         "\xBC\xC3\xC2\xF3"
         "22",
         "济麦22"},
        {"山农28",
         "\xC9\xBD\xC5\xA9"
         "28",
         "山农28"},
        {"a trail byte in the ASCII range", "\x81\x40", "\u4e02"},
        {"a lead byte before a blank", "\xBC G", "\uFFFD G"},
        {"a lead byte before 0x7F", "\xBC\x7F", "\uFFFD\x7F"},
        {"a lead byte before 0xFF", "\xBC\xFF\xC3", "\uFFFD\uFFFD\uFFFD"},
        {"0x80, the euro sign in Windows' code page 936",
         "\x80"
         "5",
         "\uFFFD"
         "5"},
        {"0xFF", "a\xFF", "a\uFFFD"},
        {"cut short at the end", "\xBC\xC3\xC2", "济\uFFFD"},
        {"codes left to the user, private on Windows", "\xAA\xA1\xA1\x40", "\uFFFD\uFFFD"},
        {"UTF-8 for 济 taken as GBK", "\xE6\xB5\x8E", "娴\uFFFD"},
    };
    for (const auto& row : rows) EXPECT_EQ(utf8_from_gbk(row.gbk), row.utf8) << row.what;
}

} // namespace
