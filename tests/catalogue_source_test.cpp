// The catalogue's list holds every message the header declares, so that the
// checks over the list (tests/texts_test.cpp) see each one.
#include "texts/console_texts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

TEST(Catalogue, ListsEveryMessageTheHeaderDeclares) {
    std::ifstream in(CLUSTMAT_SOURCE_DIR "/texts/console_texts.h");
    const std::string header{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(header.empty());
    // Each "inline constexpr Message name..." declares one, and so does each
    // "inline constexpr auto name = std::to_array<Message>(...)", a list of
    // them: the catalogue counts a list as one entry.
    std::size_t declared = 0;
    const std::string start = "inline constexpr ";
    for (std::size_t at = header.find(start); at != std::string::npos;
         at = header.find(start, at + 1)) {
        const std::string_view rest = std::string_view(header).substr(at + start.size());
        if (rest.starts_with("Message ")) {
            ++declared;
        } else if (rest.starts_with("auto ")) {
            const std::size_t equals = rest.find('=');
            const std::size_t value = rest.find_first_not_of(" \n", equals + 1);
            if (equals != std::string_view::npos &&
                rest.substr(value).starts_with("std::to_array<Message>"))
                ++declared;
        }
    }
    EXPECT_EQ(texts::catalogue.size(), declared);
}

} // namespace
