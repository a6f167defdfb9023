// The catalogue of messages: each Chinese text whole, in the GBK bytes the
// program has always written, and filled as its English is (these rows run
// under Wine too).
#include "base/utf8.h"
#include "platform/platform.h"
#include "texts/console_texts.h"
#include "texts/gbk_table.h"
#include "texts/gbk_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

// The console's language for one test.
struct Language {
    explicit Language(bool chinese) { chinese_mode = chinese ? 1 : 0; }
    ~Language() { chinese_mode = 0; }
};

// The names of a pattern's placeholders, without the words of a plural.
std::set<std::string> keys_of(std::string_view pattern) {
    std::set<std::string> keys;
    for (std::size_t open; (open = pattern.find('{')) != std::string_view::npos;) {
        const std::size_t close = pattern.find('}', open);
        const std::string_view key = pattern.substr(open + 1, close - open - 1);
        keys.emplace(key.substr(0, key.find('?')));
        pattern.remove_prefix(close + 1);
    }
    return keys;
}

TEST(Catalogue, EveryChineseCharacterIsInTheTableAsTheSystemConvertsIt) {
    std::size_t characters = 0;
    for (std::span<const Message> entry : texts::catalogue)
        for (const Message& message : entry)
            for (std::size_t at = 0; at < message.zh.size();) {
                const std::size_t start = at;
                const char32_t c = next_code_point(message.zh, at);
                ASSERT_NE(c, ill_formed) << message.zh;
                if (c < 0x80) continue;
                ++characters;
                const std::string_view utf8 = message.zh.substr(start, at - start);
                const std::string bytes = gbk_from_utf8(utf8);
                ASSERT_EQ(bytes.size(), 2u) << utf8 << ": run texts/make_gbk_table.sh";
                EXPECT_EQ(utf8_from_gbk(bytes), utf8);
            }
    EXPECT_GT(characters, std::size(gbk_table));
    EXPECT_TRUE(std::ranges::is_sorted(gbk_table, {}, &GbkCharacter::code_point));
}

TEST(Catalogue, EachChineseHasTheEnglishPlaceholdersAndEnglishIsAscii) {
    for (std::span<const Message> entry : texts::catalogue)
        for (const Message& message : entry) {
            EXPECT_TRUE(std::ranges::all_of(message.en, [](char c) { return c > 0; }))
                << message.en;
            if (!message.zh.empty()) {
                EXPECT_EQ(keys_of(message.zh), keys_of(message.en)) << message.en;
            }
        }
}

TEST(Catalogue, FillsEachLanguageAsBefore) {
    const struct {
        const char* what;
        bool chinese;
        std::string (*text)();
        std::string expected;
    } rows[] = {
        // The bytes the hex escapes gave before the Chinese was UTF-8.
        {"the name prompt", true, [] { return compose(texts::name_prompt); },
         "\n \xC7\xEB\xCA\xE4\xC8\xEB\xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE\xC3\xFB:  "},
        {"a closing line", true, [] { return compose(texts::closing[2]); },
         "...\xCE\xDE\xB7\xA8\xD6\xB4\xD0\xD0\xC8\xED\xBC\xFE. \xCD\xCB\xBB\xD8"
         "DOS\xCF\xB5\xCD\xB3...\n"},
        {"a unit inside a message, in its language", true,
         [] {
             return compose(texts::name_too_long,
                            {{"length", "260"}, {"unit", texts::name_units[1]}})
                 .substr(0, 24);
         },
         "\n\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xAC\xB9\xFD 260 \xB8\xF6\xD7\xD6\xB7\xFB, "},
        {"values in the Chinese order", true,
         [] {
             return compose(texts::cells_filled,
                            {{"filled", "2"}, {"cells", "6"}, {"fill", "additive"}});
         },
         "6 \xB8\xF6\xB5\xA5\xD4\xAA\xB8\xF1\xD6\xD0 2 \xB8\xF6\xD2\xD1\xCC\xEE\xB2\xB9 "
         "(additive)"},
        {"a count without its English word", true,
         [] {
             return compose(texts::account_zeros, {{"zeros", "1"}});
         },
         ", 1 \xB8\xF6\xC1\xE3\xD6\xB5"},
        // English chooses the word after a count.
        {"one of a count", false,
         [] {
             return compose(texts::account_zeros, {{"zeros", "1"}});
         },
         ", 1 zero"},
        {"more of a count", false,
         [] {
             return compose(texts::account_zeros, {{"zeros", "2"}});
         },
         ", 2 zeros"},
        {"a tree's line", false,
         [] {
             return compose(texts::tree_line, {{"matrix", "t"},
                                               {"clustered", "6"},
                                               {"leaves", texts::leaves[0]},
                                               {"groups", "1"},
                                               {"rule", "--groups 1"},
                                               {"left_out", ""},
                                               {"cells", "no cell filled"},
                                               {"cophenetic", "0.77"}});
         },
         "Tree t: 6 varieties in 1 group (--groups 1); no cell filled; cophenetic correlation "
         "0.77.\n"},
        // A message without its Chinese is English in both languages, and so
        // is a message inside it.
        {"no Chinese yet", true,
         [] {
             return compose(texts::name_proper_too_long,
                            {{"file", "\"a\""}, {"length", "255"}, {"unit", texts::name_units[0]}})
                 .substr(0, 67);
         },
         "\nThe file name \"a\" is too long: this system takes at most 255 bytes"},
    };
    for (const auto& row : rows) {
        const Language language(row.chinese);
        EXPECT_EQ(row.text(), row.expected) << row.what;
    }
}

} // namespace
