// The structure of GBK text, walked here for both systems, so that each
// system's converter only ever sees one whole character: where a converter
// would resynchronise differently after a bad byte (glibc's iconv stops,
// Windows substitutes), the two systems still give the same text.
#pragma once

#include "base/text_encoding.h"
#include "base/utf8.h"

#include <string>
#include <string_view>

// `gbk` as UTF-8: ASCII as it is, control bytes included; each lead and
// trail byte pair as `character` converts it (0 when it can't); everything
// else, a lone 0x80 or 0xFF and a lead byte without its trail among them,
// as U+FFFD. Windows gives the codes GBK leaves to its users private-use
// characters, which glibc refuses and no font shows: U+FFFD too, so that
// both systems agree on every pair.
inline std::string utf8_from_gbk_pairs(std::string_view gbk,
                                       char32_t (*character)(unsigned char lead,
                                                             unsigned char trail)) {
    std::string utf8;
    utf8.reserve(gbk.size() + gbk.size() / 2);
    for (std::size_t at = 0; at < gbk.size();) {
        const auto lead = static_cast<unsigned char>(gbk[at++]);
        if (lead < 0x80) {
            utf8 += static_cast<char>(lead);
            continue;
        }
        char32_t c = replacement_character;
        if (is_gbk_lead(lead) && at < gbk.size() &&
            is_gbk_trail(static_cast<unsigned char>(gbk[at]))) {
            c = character(lead, static_cast<unsigned char>(gbk[at++]));
            const bool private_use = c >= 0xE000 && c <= 0xF8FF;
            const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
            if (c == 0 || private_use || surrogate || c > 0x10FFFF) c = replacement_character;
        }
        append_utf8(utf8, c);
    }
    return utf8;
}
