// The Chinese console texts are GBK bytes; tests write them as characters.
#pragma once

#include <iconv.h>
#include <string>

inline std::string convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 4 + 16, '\0');
    char* in_p = const_cast<char*>(text.data());
    size_t in_left = text.size();
    char* out_p = out.data();
    size_t out_left = out.size();
    size_t done = iconv(cd, &in_p, &in_left, &out_p, &out_left);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return "<not convertible>";
    out.resize(out.size() - out_left);
    return out;
}
inline std::string gbk(const std::string& utf8) { return convert(utf8, "GBK", "UTF-8"); }
inline std::string utf8(const std::string& gbk_bytes) { return convert(gbk_bytes, "UTF-8", "GBK"); }
