// The catalogue's Chinese, held as UTF-8, in the GBK bytes the program has
// always written, by its own table (texts/gbk_table.h): no system converter,
// so every system writes the same bytes.
#pragma once

#include <string>
#include <string_view>

// ASCII as it is, each other character as its two GBK bytes; a character
// the table lacks (a test keeps there being none) as '?'.
std::string gbk_from_utf8(std::string_view utf8);
