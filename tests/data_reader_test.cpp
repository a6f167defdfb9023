// The buffered reader: the same tokens whatever the read block, so that
// refills and rewinding never show in what the loader reads.
#include "design/data_reader.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Every token as the loader takes fields, once through and once after a rewind.
std::vector<std::string> tokens_read(const std::string& bytes, std::size_t block) {
    std::FILE* stream = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    DataReader reader;
    reader_open(reader, stream, "test", block);
    std::vector<std::string> tokens;
    for (int pass = 0; pass < 2; ++pass) {
        for (std::string_view token; !(token = reader_peek_token(reader)).empty();) {
            tokens.emplace_back(token);
            reader_consume(reader, token.size());
            reader_finish_field(reader);
        }
        tokens.push_back("|");
        reader_rewind(reader);
    }
    std::fclose(stream);
    return tokens;
}

TEST(DataReader, GivesTheSameTokensWhateverTheBufferSize) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> tokens; // of one pass
    };
    const Case cases[] = {
        {"a token that ends where the data ends", "\nh", {"h"}},
        {"the last of several", "ab xy", {"ab", "xy"}},
        {"line ends and tabs", "a\r\n\tb\r\n", {"a", "b"}},
        {"c and ch after a field", "1 c5 ch6 cx", {"1", "5", "6", "x"}},
        {"Ctrl-Z ends the data", "a b\x1a c", {"a", "b"}},
        {"a token longer than the block", "abcdefghij k", {"abcdefghij", "k"}},
        {"a token of the longest length",
         std::string(4096, 'a') + " k",
         {std::string(4096, 'a'), "k"}},
        // One byte more tells the caller to refuse it.
        {"a longer one, cut", std::string(4098, 'b'), {std::string(4097, 'b'), "b"}},
        {"blanks only", " \n\t ", {}},
        {"nothing", "", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected = c.tokens;
        expected.push_back("|");
        expected.insert(expected.end(), c.tokens.begin(), c.tokens.end());
        expected.push_back("|");
        for (std::size_t block = 1; block <= c.bytes.size() + 1; ++block)
            EXPECT_EQ(tokens_read(c.bytes, block), expected) << c.what << ", blocks of " << block;
    }
}

} // namespace
