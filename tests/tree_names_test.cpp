// Names from a Chinese spreadsheet's CSV reach the picture as characters.
#include "base/utf8.h"
#include "gbk.h"
#include "platform/platform.h"
#include "svg_check.h"
#include "tree/tree_picture.h"

#include <gtest/gtest.h>

namespace {

// One name that is no UTF-8 makes all of them GBK, 山农28 too, whose GBK
// bytes happen to be valid UTF-8 of other characters.
TEST(TreePicture, GbkNamesAreShownAsTheirCharacters) {
    TreePicture picture;
    picture.labels = {gbk("济麦22"), gbk("山农28"), "\xff"};
    picture.fusions = {{-1, -2, 1}, {1, -3, 2}};
    ASSERT_TRUE(is_valid_utf8(picture.labels[1]) && !is_valid_utf8(picture.labels[0]));
    for (std::string& label : picture.labels) label = utf8_from_gbk(label);
    picture.trait = utf8_from_gbk(gbk("产量"));
    const std::string svg = draw_tree(picture);
    EXPECT_EQ(check_svg(svg), "");
    std::string problem, shown;
    const XmlElement root = parse_xml(svg, problem).value_or(XmlElement{});
    for (const XmlElement& label : element_with_id(root, "labels")->children)
        shown += label.text + ",";
    EXPECT_EQ(shown, "济麦22,山农28,\uFFFD,");
    EXPECT_EQ(element_with_id(root, "title")->children.at(0).text, "产量");
}

} // namespace
