// The Chinese console texts are GBK bytes; tests write them as characters.
// gbk_posix.cpp (iconv) and gbk_windows.cpp (code page 936) convert.
#pragma once

#include <string>

// The GBK bytes of UTF-8 text, and back; "<not convertible>" where a
// character has no counterpart.
std::string gbk(const std::string& utf8);
std::string utf8(const std::string& gbk_bytes);
