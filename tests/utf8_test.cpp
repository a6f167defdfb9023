// Texts for pictures: strict UTF-8, and GBK names turned into UTF-8 alike on
// both systems (these rows run under Wine too).
#include "base/utf8.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

struct TextRow {
    const char* what;
    std::string input;
    std::string expected;
};

TEST(Utf8, TakesOnlyTheShortestFormOfACodePoint) {
    const struct {
        const char* what;
        std::string text;
        bool valid;
    } rows[] = {
        {"nothing", "", true},
        {"ASCII with control bytes", "G1\t\x01\x7f", true},
        {"two, three and four bytes", "\u00e9\u6d4e\U00020000", true},
        {"the last code point", "\xF4\x8F\xBF\xBF", true},
        {"U+FFFD itself", "\xEF\xBF\xBD", true},
        {"a NUL written in two bytes", "\xC0\x80", false},
        {"an overlong of two bytes", "\xC1\xBF", false},
        {"an overlong of three bytes", "\xE0\x9F\xBF", false},
        {"an overlong of four bytes", "\xF0\x8F\xBF\xBF", false},
        {"a surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"a lead byte that starts nothing", "\xF5\x80\x80\x80", false},
        {"a lone continuation byte", "a\x80", false},
        {"a character cut short at the end", "\xE6\xB5", false},
        {"a character cut short by ASCII", "\xE6\xB5G", false},
        {"GBK for 济麦22",
         "\xBC\xC3\xC2\xF3"
         "22",
         false},
        // A GBK name that reads as UTF-8 by chance: why the choice is made
        // once for all names, never name by name.
        {"GBK for 山农28",
         "\xC9\xBD\xC5\xA9"
         "28",
         true},
    };
    for (const auto& row : rows) EXPECT_EQ(is_valid_utf8(row.text), row.valid) << row.what;
}

TEST(Gbk, ConvertsEachCharacterAloneAndMarksWhatIsNone) {
    const TextRow rows[] = {
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
        {"a code left to the user, private on Windows", "\xAA\xA1\xA1\x40", "\uFFFD\uFFFD"},
        {"UTF-8 for 济 taken as GBK", "\xE6\xB5\x8E", "娴\uFFFD"},
    };
    for (const TextRow& row : rows) EXPECT_EQ(utf8_from_gbk(row.input), row.expected) << row.what;
}

} // namespace
