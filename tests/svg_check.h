// Pictures checked as a reader would meet them: parsed as XML, and rendered
// by a real SVG renderer (rsvg-convert) where the build found one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An element as parsed: entities and character references resolved.
struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text; // its own character data, without its children's
    std::vector<XmlElement> children;

    // The attribute's value, or nothing when it has none.
    std::optional<std::string> attribute(std::string_view attribute_name) const;
};

// Parses a whole document: an XML declaration, comments and processing
// instructions around one root element. Gives the root, or nothing with
// `problem` naming what is wrong and at which byte. A document type and
// CDATA sections are refused: the pictures have none.
std::optional<XmlElement> parse_xml(std::string_view text, std::string& problem);

// The element at or below `root` whose id is `id`, or nullptr.
const XmlElement* element_with_id(const XmlElement& root, std::string_view id);

// Whether pictures can be rendered here (rsvg-convert was found).
bool can_render();

// Renders an SVG text to PNG bytes: an empty text, or the renderer's problem.
std::string render_png(const std::string& svg_text, std::string& png);

// Parses `svg_text` as XML whose root is an <svg> of the SVG namespace and,
// where rsvg-convert was found, renders it: an empty text, or the problem.
std::string check_svg(const std::string& svg_text);
