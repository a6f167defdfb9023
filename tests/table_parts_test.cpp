// The parts of a table's load that have logic of their own: splitting a
// line into its fields, and the levels of a column.
#include "input/levels.h"
#include "input/table_line.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(TableLine, SplitsALineIntoItsFields) {
    const struct {
        const char* line;
        Separator separator;
        std::vector<std::string> fields; // empty with `refused`
        bool refused = false;
    } cases[] = {
        {"a,b , c", Separator::comma, {"a", "b", "c"}},
        {",a,,", Separator::comma, {"", "a", "", ""}},
        {"\"a, b\",\"say \"\"hi\"\"\", \"\"", Separator::comma, {"a, b", "say \"hi\"", ""}},
        {" \"x\" \t,y", Separator::comma, {"x", "y"}},
        {"a;b,c;\"d;e\"", Separator::semicolon, {"a", "b,c", "d;e"}},
        {"MN 93272\t 1\t\t", Separator::tab, {"MN 93272", "1", "", ""}},
        {"\"a\tb\"\tc", Separator::tab, {"a\tb", "c"}},
        {"  a \t b  \"c d\"  ", Separator::blanks, {"a", "b", "c d"}},
        {"", Separator::blanks, {}},
        {"\"a,b", Separator::comma, {}, true},
        {"\"a\"b,c", Separator::comma, {}, true},
        {"\"a\"b c", Separator::blanks, {}, true},
        {"a,\"b\"\"", Separator::comma, {}, true},
    };
    for (const auto& c : cases) {
        TableLine line;
        const bool split = split_line(c.line, c.separator, line);
        EXPECT_EQ(split, !c.refused) << c.line;
        if (!split) continue;
        EXPECT_EQ(std::vector<std::string>(line.fields.begin(), line.fields.begin() + line.count),
                  c.fields)
            << c.line;
    }
}

// The ids a column's values get, the levels they end in, and the labels.
TEST(Levels, AreTheValuesAsWrittenInTheirOrder) {
    const struct {
        const char* what;
        std::vector<std::string> values; // in the order the records give them
        std::vector<std::string> labels; // level 1 first
    } cases[] = {
        {"whole numbers by number, then by text",
         {"12", "0012", "7", "-3", "012", "12", "1048576", "999999999999999999", "2023001"},
         {"G-3", "G7", "G0012", "G012", "G12", "G1048576", "G2023001", "G999999999999999999"}},
        {"names by first appearance",
         {"Yolo2", "Davis", "Yolo2", "12", "Ames"},
         {"Yolo2", "Davis", "12", "Ames"}},
        {"19 digits is no whole number here",
         {"5", "1234567890123456789"},
         {"5", "1234567890123456789"}},
        {"one small number many times", {"0", "0", "0"}, {"G0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LevelTable table;
        std::vector<std::int32_t> ids;
        // Values are read where a word of bytes beyond them is readable.
        std::vector<std::string> kept;
        for (const std::string& value : c.values) kept.push_back(value + std::string(8, '\0'));
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            bool added;
            ids.push_back(
                level_id(table, std::string_view(kept[i]).substr(0, c.values[i].size()), added));
            // A value is new exactly when no earlier one was written the same.
            bool seen = false;
            for (std::size_t j = 0; j < i; ++j) seen = seen || c.values[j] == c.values[i];
            EXPECT_EQ(added, !seen) << c.values[i];
        }
        ASSERT_EQ(finish_levels(table), static_cast<std::int32_t>(c.labels.size()));
        std::vector<std::int32_t> levels;
        for (std::size_t i = 0; i < c.values.size(); ++i)
            levels.push_back(
                level_of_value(table, std::string_view(kept[i]).substr(0, c.values[i].size())));
        const std::string never = std::string("never") + std::string(8, '\0');
        EXPECT_EQ(level_of_value(table, std::string_view(never).substr(0, 5)), 0);
        const std::vector<std::string> labels = take_labels(table, 'G');
        EXPECT_EQ(labels, c.labels);
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            ASSERT_GE(levels[i], 1);
            const std::string& label = labels[static_cast<std::size_t>(levels[i] - 1)];
            EXPECT_TRUE(label == c.values[i] || label == "G" + c.values[i]) << c.values[i];
        }
    }
}

} // namespace
