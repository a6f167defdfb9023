#include "svg_check.h"

#include "base/utf8.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

std::optional<std::string> XmlElement::attribute(std::string_view attribute_name) const {
    for (const auto& [name, value] : attributes)
        if (name == attribute_name) return value;
    return std::nullopt;
}

namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool is_name_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool is_name_char(char c) {
    return is_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// What XML 1.0 takes as a character.
bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

struct Parser {
    std::string_view text;
    std::size_t at = 0;
    std::string problem;

    bool fail(const std::string& what) {
        if (problem.empty()) problem = what + " at byte " + std::to_string(at);
        return false;
    }
    bool starts(std::string_view prefix) const { return text.substr(at, prefix.size()) == prefix; }
    bool expect(std::string_view token) {
        if (!starts(token)) return fail("expected \"" + std::string(token) + "\"");
        at += token.size();
        return true;
    }
    void skip_space() {
        while (at < text.size() && is_space(text[at])) ++at;
    }
    // Moves past `end`, which must come.
    bool skip_past(std::string_view end, const std::string& what) {
        const std::size_t found = text.find(end, at);
        if (found == std::string_view::npos) return fail(what + " not closed");
        at = found + end.size();
        return true;
    }

    bool name(std::string& out) {
        if (at >= text.size() || !is_name_start(text[at])) return fail("expected a name");
        const std::size_t start = at;
        while (at < text.size() && is_name_char(text[at])) ++at;
        out = text.substr(start, at - start);
        return true;
    }

    // An entity or character reference, from its '&'.
    bool reference(std::string& out) {
        ++at;
        const std::size_t end = text.find(';', at);
        if (end == std::string_view::npos) return fail("a reference without ';'");
        const std::string_view body = text.substr(at, end - at);
        static const std::pair<std::string_view, char> entities[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [entity, c] : entities)
            if (body == entity) {
                out += c;
                at = end + 1;
                return true;
            }
        const bool hex = body.size() > 2 && body.substr(0, 2) == "#x";
        const std::string_view digits = body.substr(hex ? 2 : 1);
        if (body.size() < 2 || body[0] != '#' || digits.size() > 8 ||
            digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                std::string_view::npos)
            return fail("an unknown reference &" + std::string(body) + ";");
        const auto c =
            static_cast<char32_t>(std::stoul(std::string(digits), nullptr, hex ? 16 : 10));
        if (!is_xml_char(c)) return fail("a reference to no character");
        append_utf8(out, c);
        at = end + 1;
        return true;
    }

    // Comments, processing instructions and white space between elements.
    bool misc() {
        for (;;) {
            skip_space();
            if (starts("<!--")) {
                const std::size_t start = at;
                if (!skip_past("-->", "a comment")) return false;
                if (text.substr(start + 4, at - start - 7).find("--") != std::string_view::npos)
                    return fail("\"--\" inside a comment");
            } else if (starts("<?")) {
                if (!skip_past("?>", "a processing instruction")) return false;
            } else {
                return true;
            }
        }
    }

    bool attribute_value(std::string& value) {
        if (at >= text.size() || (text[at] != '"' && text[at] != '\''))
            return fail("expected a quote");
        const char quote = text[at++];
        while (at < text.size() && text[at] != quote) {
            if (text[at] == '<') return fail("'<' in an attribute value");
            if (text[at] == '&') {
                if (!reference(value)) return false;
                continue;
            }
            value += is_space(text[at]) ? ' ' : text[at];
            ++at;
        }
        return expect(std::string_view(&quote, 1));
    }

    bool element(XmlElement& out) {
        if (!expect("<") || !name(out.name)) return false;
        for (;;) {
            const std::size_t before = at;
            skip_space();
            if (starts("/>")) {
                at += 2;
                return true;
            }
            if (starts(">")) {
                ++at;
                break;
            }
            if (at == before) return fail("expected white space before an attribute");
            std::string attribute_name, value;
            if (!name(attribute_name)) return false;
            skip_space();
            if (!expect("=")) return false;
            skip_space();
            if (!attribute_value(value)) return false;
            if (out.attribute(attribute_name))
                return fail("attribute " + attribute_name + " twice");
            out.attributes.emplace_back(attribute_name, value);
        }
        while (at < text.size()) {
            if (starts("</")) {
                at += 2;
                std::string end_name;
                if (!name(end_name)) return false;
                if (end_name != out.name)
                    return fail("</" + end_name + "> closes <" + out.name + ">");
                skip_space();
                return expect(">");
            }
            if (starts("<!--") || starts("<?")) {
                if (!misc()) return false;
            } else if (starts("<![CDATA[")) {
                const std::size_t start = at + 9;
                if (!skip_past("]]>", "a CDATA section")) return false;
                out.text += text.substr(start, at - 3 - start);
            } else if (starts("<!")) {
                return fail("markup that pictures never hold");
            } else if (starts("<")) {
                out.children.emplace_back();
                if (!element(out.children.back())) return false;
            } else if (text[at] == '&') {
                if (!reference(out.text)) return false;
            } else {
                if (starts("]]>")) return fail("\"]]>\" in text");
                out.text += text[at++];
            }
        }
        return fail("<" + out.name + "> not closed");
    }
};

} // namespace

std::optional<XmlElement> parse_xml(std::string_view text, std::string& problem) {
    Parser parser{text, 0, {}};
    for (std::size_t at = 0; at < text.size();) {
        parser.at = at;
        if (!is_xml_char(next_code_point(text, at))) {
            parser.fail("no XML character");
            problem = parser.problem;
            return std::nullopt;
        }
    }
    parser.at = 0;
    XmlElement root;
    const bool parsed = parser.misc() && (!parser.starts("<!") || parser.fail("a document type")) &&
                        parser.element(root) && parser.misc() &&
                        (parser.at == text.size() || parser.fail("more after the root element"));
    if (!parsed) {
        problem = parser.problem;
        return std::nullopt;
    }
    return root;
}

static void collect(const XmlElement& element, std::string_view name,
                    std::vector<const XmlElement*>& found) {
    if (element.name == name) found.push_back(&element);
    for (const XmlElement& child : element.children) collect(child, name, found);
}

std::vector<const XmlElement*> elements_named(const XmlElement& root, std::string_view name) {
    std::vector<const XmlElement*> found;
    collect(root, name, found);
    return found;
}

const XmlElement* element_with_id(const XmlElement& root, std::string_view id) {
    if (root.attribute("id") == id) return &root;
    for (const XmlElement& child : root.children)
        if (const XmlElement* found = element_with_id(child, id)) return found;
    return nullptr;
}

// Set by the build: empty where rsvg-convert was not found, and for the
// Windows tests, which run under Wine.
static const std::string renderer = RSVG_CONVERT;

bool can_render() {
    return !renderer.empty();
}

static std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string render_png(const std::string& svg_text, std::string& png) {
    if (!can_render()) return "rsvg-convert was not found";
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("clustmat-svg-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    const fs::path svg = folder / "picture.svg", out = folder / "picture.png",
                   errors = folder / "errors.txt";
    std::ofstream(svg, std::ios::binary) << svg_text;
    const std::string command = "'" + renderer + "' -o '" + out.string() + "' '" + svg.string() +
                                "' 2>'" + errors.string() + "'";
    const int status = std::system(command.c_str());
    png = slurp(out);
    const std::string said = slurp(errors);
    fs::remove_all(folder);
    if (status != 0) return "rsvg-convert failed: " + said;
    // Warnings too: a renderer that had to guess may draw something else.
    if (!said.empty()) return "rsvg-convert said: " + said;
    if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return "rsvg-convert gave no PNG";
    return "";
}

std::string check_svg(const std::string& svg_text) {
    std::string problem;
    const std::optional<XmlElement> root = parse_xml(svg_text, problem);
    if (!root) return "not XML: " + problem;
    if (root->name != "svg" || root->attribute("xmlns") != "http://www.w3.org/2000/svg")
        return "the root is no <svg> of the SVG namespace";
    std::string png;
    return can_render() ? render_png(svg_text, png) : "";
}
