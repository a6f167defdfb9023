#include "svg_check.h"

#include "base/utf8.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

std::optional<std::string> XmlElement::attribute(std::string_view attribute_name) const {
    for (const auto& [name, value] : attributes)
        if (name == attribute_name) return value;
    return std::nullopt;
}

namespace {

bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

struct Reader {
    std::string_view text;
    std::size_t at = 0;
    std::string problem;

    bool fail(const std::string& what) {
        if (problem.empty()) problem = what + " at byte " + std::to_string(at);
        return false;
    }
    bool take(std::string_view token) {
        if (text.substr(at, token.size()) != token) return false;
        at += token.size();
        return true;
    }
    bool expect(std::string_view token) {
        return take(token) || fail("expected " + std::string(token));
    }
    bool blanks() {
        const std::size_t start = at;
        while (at < text.size() && text[at] && std::strchr(" \t\n\r", text[at])) ++at;
        return at > start;
    }
    bool name(std::string& out) {
        const std::size_t start = at;
        while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) ||
                                    (text[at] && std::strchr("_:-.", text[at])) ||
                                    static_cast<unsigned char>(text[at]) >= 0x80))
            ++at;
        out = text.substr(start, at - start);
        return (!out.empty() && !std::strchr("-.0123456789", out[0])) || fail("expected a name");
    }

    // An entity or character reference, after its '&'.
    bool reference(std::string& out) {
        const std::size_t end = text.find(';', at);
        const std::string body(text.substr(at, end == std::string_view::npos ? 0 : end - at));
        at = end + 1;
        static const std::pair<const char*, char> entities[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [entity, c] : entities)
            if (body == entity) return out += c, true;
        const bool hex = body.rfind("#x", 0) == 0;
        const std::size_t skip = hex ? 2 : 1;
        if (body.size() <= skip || body.size() > skip + 7 || body[0] != '#' ||
            body.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789", skip) !=
                std::string::npos)
            return fail("an unknown reference");
        const auto c = static_cast<char32_t>(std::stoul(body.substr(skip), nullptr, hex ? 16 : 10));
        if (!is_xml_char(c)) return fail("a reference to no character");
        append_utf8(out, c);
        return true;
    }

    // Comments and processing instructions, and the blanks around them.
    bool misc() {
        for (blanks(); take("<!--") || take("<?"); blanks()) {
            const bool comment = text[at - 1] == '-';
            const std::size_t end = text.find(comment ? "--" : "?>", at);
            if (end == std::string_view::npos || (comment && text.substr(end, 3) != "-->"))
                return fail("a comment or processing instruction not closed");
            at = end + (comment ? 3 : 2);
        }
        return true;
    }

    bool element(XmlElement& out) {
        if (!expect("<") || !name(out.name)) return false;
        for (bool blank = blanks(); !take(">"); blank = blanks()) {
            if (take("/>")) return true;
            std::string attribute, value;
            if (!blank) return fail("expected a blank before an attribute");
            if (!name(attribute)) return false;
            blanks();
            if (!expect("=")) return false;
            blanks();
            const char quote = at < text.size() ? text[at++] : '\0';
            if (quote != '"' && quote != '\'') return fail("expected a quote");
            while (at < text.size() && text[at] != quote) {
                if (text[at] == '<') return fail("'<' in an attribute value");
                const char c = text[at++];
                if (c == '&' && !reference(value)) return false;
                if (c != '&') value += std::strchr("\t\n\r", c) ? ' ' : c;
            }
            if (!take(std::string_view(&quote, 1))) return fail("a value not closed");
            if (out.attribute(attribute)) return fail("attribute " + attribute + " twice");
            out.attributes.emplace_back(attribute, value);
        }
        for (std::string end_name; at < text.size();) {
            if (take("</"))
                return name(end_name) && (end_name == out.name || fail("</" + end_name + ">")) &&
                       (blanks(), expect(">"));
            if (text.substr(at, 4) == "<!--" || text.substr(at, 2) == "<?") {
                if (!misc()) return false;
            } else if (text.substr(at, 2) == "<!" || text.substr(at, 3) == "]]>") {
                return fail("markup that pictures never hold");
            } else if (text[at] == '<') {
                if (!element(out.children.emplace_back())) return false;
            } else if (take("&")) {
                if (!reference(out.text)) return false;
            } else {
                out.text += text[at++];
            }
        }
        return fail("<" + out.name + "> not closed");
    }
};

} // namespace

std::optional<XmlElement> parse_xml(std::string_view text, std::string& problem) {
    Reader reader{text, 0, {}};
    XmlElement root;
    for (std::size_t at = 0; at < text.size() && reader.problem.empty();) {
        reader.at = at;
        if (!is_xml_char(next_code_point(text, at))) reader.fail("no XML character");
    }
    reader.at = 0;
    if (reader.problem.empty() && reader.misc() && reader.element(root) && reader.misc() &&
        reader.at < text.size())
        reader.fail("more after the root element");
    problem = reader.problem;
    if (!problem.empty()) return std::nullopt;
    return root;
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

std::string render_png(const std::string& svg_text, std::string& png) {
    if (!can_render()) return "rsvg-convert was not found";
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("clustmat-svg-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    std::ofstream(folder / "in.svg", std::ios::binary) << svg_text;
    const std::string in = (folder / "in.svg").string(), out = (folder / "out.png").string(),
                      said = (folder / "said.txt").string();
    const int status =
        std::system(("'" + renderer + "' -o '" + out + "' '" + in + "' 2>'" + said + "'").c_str());
    const auto slurp = [](const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    png = slurp(out);
    const std::string message = slurp(said);
    fs::remove_all(folder);
    // Warnings too: a renderer that had to guess may draw something else.
    if (status != 0 || !message.empty()) return "rsvg-convert said: " + message;
    if (png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return "rsvg-convert gave no PNG";
    return "";
}

std::string check_svg(const std::string& svg_text) {
    std::string problem, png;
    const std::optional<XmlElement> root = parse_xml(svg_text, problem);
    if (!root) return "not XML: " + problem;
    if (root->name != "svg" || root->attribute("xmlns") != "http://www.w3.org/2000/svg")
        return "the root is no <svg> of the SVG namespace";
    return can_render() ? render_png(svg_text, png) : "";
}
