#include "texts/gbk_text.h"

#include "base/utf8.h"
#include "texts/gbk_table.h"

#include <algorithm>

std::string gbk_from_utf8(std::string_view utf8) {
    std::string gbk;
    gbk.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = next_code_point(utf8, at);
        if (c < 0x80) {
            gbk += static_cast<char>(c);
            continue;
        }
        const auto* found = std::ranges::lower_bound(gbk_table, c, {}, &GbkCharacter::code_point);
        if (found == std::end(gbk_table) || found->code_point != c) {
            gbk += '?';
            continue;
        }
        gbk += static_cast<char>(found->lead);
        gbk += static_cast<char>(found->trail);
    }
    return gbk;
}
