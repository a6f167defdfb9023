// Texts for pictures: strict UTF-8, the code page of a file's names, and GBK
// and Windows-1252 names turned into UTF-8 alike on both systems (these rows
// run under Wine too).
#include "base/text_encoding.h"
#include "base/utf8.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(Encoding, IsDecidedOnceForAllTheFilesNames) {
    constexpr auto utf8 = TextEncoding::utf8, gbk = TextEncoding::gbk,
                   w1252 = TextEncoding::windows_1252;
    const struct {
        const char* what;
        std::vector<std::string> names;
        TextEncoding elsewhere, on_a_chinese_system;
    } rows[] = {
        {"UTF-8 and ASCII", {"济麦22", "Jäger", "G1"}, utf8, utf8},
        {"济麦22 and 郑麦9023 in GBK",
         {"\xBC\xC3\xC2\xF3"
          "22",
          "\xD6\xA3\xC2\xF3"
          "9023"},
         gbk,
         gbk},
        {"山农28 in GBK, which is UTF-8 too, beside 济麦22",
         {"\xC9\xBD\xC5\xA9", "\xBC\xC3"},
         gbk,
         gbk},
        // Each pairs as a GBK character outside GB2312: ä g, ß g, ü c, Ø l.
        {"Jäger, Großglück, Bärbel, Øland in Windows-1252",
         {"J\xE4ger",
          "Gro\xDFgl\xFC"
          "ck",
          "B\xE4rbel", "\xD8land"},
         w1252,
         gbk},
        {"ÄÖ in Windows-1252, a GB2312 character's bytes", {"\xC4\xD6"}, gbk, gbk},
        {"café: a last byte that pairs with nothing", {"caf\xE9"}, w1252, w1252},
        {"济麦22 in GBK beside café in Windows-1252",
         {"\xBC\xC3\xC2\xF3", "caf\xE9"},
         w1252,
         w1252},
        {"a pair split between two names", {"\xBC", "\xC3"}, w1252, w1252},
        {"0x80, no GBK lead byte", {"\x80"}, w1252, w1252},
    };
    for (const auto& row : rows) {
        EncodingEvidence evidence;
        for (const std::string& name : row.names) weigh_text(evidence, name);
        EXPECT_EQ(likely_encoding(evidence, false), row.elsewhere) << row.what;
        EXPECT_EQ(likely_encoding(evidence, true), row.on_a_chinese_system) << row.what;
    }
}

TEST(Gbk, ConvertsEachCharacterAloneAndMarksWhatIsNone) {
    constexpr auto w1252 = TextEncoding::windows_1252;
    const struct {
        const char* what;
        std::string gbk, utf8;
        TextEncoding encoding = TextEncoding::gbk;
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
        {"Windows-1252 letters",
         "J\xE4ger Gro\xDFgl\xFC"
         "ck \xD8land",
         "Jäger Großglück Øland", w1252},
        {"Windows-1252's own 0x80-0x9F, and its five undefined bytes",
         "\x80\x93\x9F\x81\x8D\x8F\x90\x9D", "€“Ÿ\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD", w1252},
        {"Windows-1252's 0xA0-0xFF, Latin-1's", "\xA0\xC4\xD6\xFF", "\u00A0ÄÖÿ", w1252},
        {"UTF-8 bytes as they are", "G\xE4", "G\xE4", TextEncoding::utf8},
    };
    for (const auto& row : rows) EXPECT_EQ(utf8_text(row.gbk, row.encoding), row.utf8) << row.what;
}

} // namespace
