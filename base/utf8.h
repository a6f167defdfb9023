// UTF-8 as Unicode defines it: each code point in its shortest form, no
// surrogates, nothing above U+10FFFF. Level labels, trait names and file
// names are taken as UTF-8 only when every one of them is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What next_code_point gives for bytes that are no UTF-8: beyond every code point.
inline constexpr char32_t ill_formed = 0x110000;

inline constexpr char32_t replacement_character = 0xFFFD;

// The code point that starts at text[at], moving `at` past it. For an
// ill-formed sequence it gives ill_formed and moves past the longest start
// that could have begun a character (at least one byte), as Unicode
// recommends and browsers do: a character cut short costs one replacement,
// and the next character still reads.
inline char32_t next_code_point(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    std::size_t length;
    char32_t value;
    // The second byte's range is narrower after E0, ED, F0 and F4: that is
    // where overlong forms, surrogates and code points above U+10FFFF start.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return ill_formed;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at >= text.size()) return ill_formed;
        const auto next = static_cast<unsigned char>(text[at]);
        if (next < low || next > high) return ill_formed;
        value = value << 6 | (next & 0x3Fu);
        ++at;
        low = 0x80;
        high = 0xBF;
    }
    return value;
}

inline bool is_valid_utf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();)
        if (next_code_point(text, at) == ill_formed) return false;
    return true;
}

// Writes a code point (at most U+10FFFF, no surrogate) in UTF-8 at `out`;
// gives the place after it.
inline char* put_utf8(char* out, char32_t c) {
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (c < 0x80) {
        *out++ = byte(c);
    } else if (c < 0x800) {
        *out++ = byte(0xC0 | c >> 6);
        *out++ = byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = byte(0xE0 | c >> 12);
        *out++ = byte(0x80 | (c >> 6 & 0x3F));
        *out++ = byte(0x80 | (c & 0x3F));
    } else {
        *out++ = byte(0xF0 | c >> 18);
        *out++ = byte(0x80 | (c >> 12 & 0x3F));
        *out++ = byte(0x80 | (c >> 6 & 0x3F));
        *out++ = byte(0x80 | (c & 0x3F));
    }
    return out;
}

inline void append_utf8(std::string& text, char32_t c) {
    char bytes[4];
    text.append(bytes, put_utf8(bytes, c));
}

// How much of `text` to keep to cut it at `limit` bytes or just before:
// never within a UTF-8 character, which would show as a broken one.
inline std::size_t utf8_cut(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t cut = limit;
    while (cut > 0 && limit - cut < 3 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut < limit && static_cast<unsigned char>(text[cut]) >= 0xC0 ? cut : limit;
}
