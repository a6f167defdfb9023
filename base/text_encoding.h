// The code page a data file's names were saved in. A spreadsheet's CSV
// carries no mark of it: UTF-8 from a new one, GBK from a Chinese Excel,
// Windows-1252 from a Western European one. It is judged from the bytes of
// all the file's names together, once, since a single name may happen to
// read in the wrong one (山农28's GBK bytes are valid UTF-8).
#pragma once

#include "base/utf8.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

enum class TextEncoding { utf8, gbk, windows_1252 };

inline bool is_gbk_lead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

inline bool is_gbk_trail(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// What a file's names, weighed one after another, say of their code page.
struct EncodingEvidence {
    bool utf8 = true;      // every name is UTF-8
    bool gbk_pairs = true; // every byte beyond ASCII is part of a GBK lead and trail pair
    bool gb2312 = true;    // and every pair is in GB2312's range, both bytes 0xA1-0xFE
};

inline void weigh_text(EncodingEvidence& evidence, std::string_view text) {
    evidence.utf8 = evidence.utf8 && is_valid_utf8(text);
    for (std::size_t at = 0; at < text.size() && evidence.gbk_pairs; ++at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) continue;
        const auto trail = static_cast<unsigned char>(at + 1 < text.size() ? text[at + 1] : '\0');
        if (!is_gbk_lead(lead) || !is_gbk_trail(trail)) {
            evidence.gbk_pairs = false;
        } else {
            evidence.gb2312 = evidence.gb2312 && lead >= 0xA1 && trail >= 0xA1;
            ++at;
        }
    }
}

// The code page the evidence points to. A pair outside GB2312 is a rare
// Chinese character but a common pair of accented Western letters (ä and g
// in Jäger): only a Chinese system makes it GBK.
inline TextEncoding likely_encoding(const EncodingEvidence& evidence, bool chinese_system) {
    if (evidence.utf8) return TextEncoding::utf8;
    if (evidence.gbk_pairs && (evidence.gb2312 || chinese_system)) return TextEncoding::gbk;
    return TextEncoding::windows_1252;
}

// Windows-1252's characters for 0x80-0x9F, where it differs from Latin-1;
// U+FFFD for the five bytes it leaves undefined.
inline constexpr std::array<char16_t, 32> windows_1252_high = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Windows-1252 bytes as UTF-8, by the table above rather than the system's
// converter, so that every system gives the same picture.
inline std::string utf8_from_windows_1252(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            utf8 += c;
        else
            append_utf8(utf8, byte < 0xA0 ? windows_1252_high[byte - 0x80] : char32_t{byte});
    }
    return utf8;
}
