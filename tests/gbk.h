// The Chinese console texts are GBK bytes; tests write them as characters.
#pragma once

#include <string>

// The GBK bytes of UTF-8 text; "<not convertible>" where a character has none.
std::string gbk(const std::string& utf8);
