#include "gbk.h"

#include <windows.h>

// Through UTF-16; a character that either code page lacks makes the whole
// text not convertible, never a question mark.
static std::string convert(const std::string& text, UINT to, UINT from) {
    const int size = static_cast<int>(text.size());
    std::wstring wide(text.size(), L'\0');
    int length =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), size);
    if (length == 0 && size > 0) return "<not convertible>";
    std::string out(text.size() * 4, '\0');
    BOOL lossy = FALSE;
    int bytes = WideCharToMultiByte(to, 0, wide.data(), length, out.data(), size * 4, nullptr,
                                    to == CP_UTF8 ? nullptr : &lossy);
    if ((bytes == 0 && size > 0) || lossy) return "<not convertible>";
    return out.substr(0, static_cast<std::size_t>(bytes));
}

std::string gbk(const std::string& utf8) {
    return convert(utf8, 936, CP_UTF8);
}

std::string utf8(const std::string& gbk_bytes) {
    return convert(gbk_bytes, CP_UTF8, 936);
}
