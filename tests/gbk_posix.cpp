#include "gbk.h"

#include <iconv.h>

static std::string convert(std::string text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 4, '\0');
    char *in = text.data(), *into = out.data();
    size_t in_left = text.size(), out_left = out.size();
    bool whole = iconv(cd, &in, &in_left, &into, &out_left) != static_cast<size_t>(-1);
    iconv_close(cd);
    return whole ? out.substr(0, out.size() - out_left) : "<not convertible>";
}

std::string gbk(const std::string& utf8) {
    return convert(utf8, "GBK", "UTF-8");
}

std::string utf8(const std::string& gbk_bytes) {
    return convert(gbk_bytes, "UTF-8", "GBK");
}
