// The catalogue's list holds every message the header declares, so that the
// checks over the list (tests/texts_test.cpp) see each one.
#include "texts/console_texts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace {

TEST(Catalogue, ListsEveryMessageTheHeaderDeclares) {
    std::ifstream in(CLUSTMAT_SOURCE_DIR "/texts/console_texts.h");
    const std::string header{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(header.empty());
    const std::regex declaration(
        R"(inline constexpr (Message|auto) \w+(\[\])?(\{| =\s*(std::to_array<Message>)?))");
    std::size_t declared = 0;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), declaration);
         it != std::sregex_iterator(); ++it)
        if ((*it)[1] == "Message" || (*it)[4].matched) ++declared;
    EXPECT_EQ(texts::catalogue.size(), declared);
}

} // namespace
