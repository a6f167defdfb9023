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

// The classic texts that existing users know by their bytes stay English in
// both languages; every other message has its Chinese.
TEST(Catalogue, EveryMessageButTheClassicOnesHasItsChinese) {
    using texts::one;
    const std::span<const Message> classic[] = {
        one(texts::opened_notice), one(texts::refusal),
        texts::template_prompts,   texts::f3tensor_failure,
        one(texts::analysis_menu), one(texts::bad_choice_notice),
        one(texts::bad_choice),    one(texts::output_open_failure)};
    for (std::span<const Message> entry : texts::catalogue) {
        const bool english_only = std::ranges::any_of(
            classic, [&](std::span<const Message> kept) { return kept.data() == entry.data(); });
        for (const Message& message : entry)
            EXPECT_EQ(message.zh.empty(), english_only) << message.en;
    }
}

// The help in either language fits a console of 80 columns, where a Chinese
// character takes two.
TEST(Catalogue, TheHelpFitsEightyColumns) {
    for (std::string_view text : {texts::usage.en, texts::usage.zh}) {
        std::size_t columns = 0;
        for (std::size_t at = 0; at < text.size();) {
            const char32_t c = next_code_point(text, at);
            columns = c == '\n' ? 0 : columns + (c < 0x80 ? 1 : 2);
            EXPECT_LE(columns, 80u) << text.substr(0, at).substr(text.rfind('\n', at - 1) + 1);
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
             return unmarked(compose(texts::name_too_long,
                                     {{"length", "260"}, {"unit", texts::name_units[1]}}))
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
        // The classic English texts are English in both languages.
        {"a classic text", true, [] { return compose(texts::refusal); },
         "\nExit this program and input correct file name again.\n"},
        // The option's word of a reading stays as the command line takes it.
        {"a reading's option", true,
         [] {
             return compose(
                 texts::decimal_reading,
                 {{"number", "1,5"}, {"mark", texts::mark_names[1]}, {"decimal", "comma"}});
         },
         gbk_from_utf8("1,5, 以逗号为小数点 (运行 clustmat 时加 --decimal comma)")},
    };
    for (const auto& row : rows) {
        const Language language(row.chinese);
        EXPECT_EQ(unmarked(row.text()), row.expected) << row.what;
    }
}

} // namespace
