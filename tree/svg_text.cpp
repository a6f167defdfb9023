#include "tree/svg_text.h"

#include "base/utf8.h"

#include <charconv>
#include <cmath>

static bool allowed_in_xml(char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    return c != ill_formed && c != 0xFFFE && c != 0xFFFF;
}

std::string xml_text(std::string_view text) {
    std::string xml;
    xml.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const char32_t c = next_code_point(text, at);
        switch (c) {
        case '&':
            xml += "&amp;";
            break;
        case '<':
            xml += "&lt;";
            break;
        case '>':
            xml += "&gt;";
            break;
        case '"':
            xml += "&quot;";
            break;
        case '\'':
            xml += "&apos;";
            break;
        default:
            if (allowed_in_xml(c))
                xml.append(text.substr(start, at - start));
            else
                append_utf8(xml, replacement_character);
        }
    }
    return xml;
}

void append_number(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) value = 0;
    char text[400]; // the longest double in fixed notation, with its decimals
    char* end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    if (decimals > 0) {
        while (end[-1] == '0') --end;
        if (end[-1] == '.') --end;
    }
    const std::string_view number(text, static_cast<std::size_t>(end - text));
    out += number == "-0" ? "0" : number;
}

// East Asian wide and fullwidth characters: Hangul, the CJK blocks with
// their punctuation, kana and fullwidth forms, and the ideographs beyond the
// first plane.
static bool is_wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// At least the width in DejaVu Sans, the widest of the usual sans-serif
// fonts, of any ASCII character; other letters as wide as capitals.
static double ems_of(char32_t c) {
    if (is_wide(c) || c == 'm' || c == 'M' || c == 'W' || c == '%' || c == '@') return 1;
    if ((c >= 'A' && c <= 'Z') || c == 'w' || c == '&' || c >= 0x80) return 0.8;
    return 0.65;
}

double estimated_width(std::string_view text) {
    double ems = 0;
    for (std::size_t at = 0; at < text.size();) ems += ems_of(next_code_point(text, at));
    return ems;
}
