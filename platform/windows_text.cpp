#include "platform/windows_text.h"

#include "platform/gbk_text.h"
#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <io.h>

std::wstring to_wide(std::string_view text, UINT from) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(from, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(from, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string from_wide(std::wstring_view text, UINT to) {
    if (text.empty() || text.size() > INT_MAX / 4) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(to, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(to, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// One GBK character as a code point, or 0 when code page 936 has none for
// it. Code page 936 has no character beyond UTF-16's first plane.
static char32_t gbk_character(unsigned char lead, unsigned char trail) {
    const char gbk[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    wchar_t wide[2];
    const int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk, 2, wide, 2);
    return length == 1 ? static_cast<char32_t>(wide[0]) : 0;
}

std::string utf8_from_gbk(std::string_view gbk) {
    return utf8_from_gbk_pairs(gbk, gbk_character);
}

HANDLE handle_of(std::FILE* stream) {
    int fd = _fileno(stream);
    return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

bool is_console(HANDLE handle) {
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

void write_console(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written,
                           nullptr) ||
            written == 0)
            return;
        text.remove_prefix(written);
    }
}

// The errno value whose strerror text tells the user what a Win32 failure
// means; the callers report errno.
static int errno_of(DWORD error) {
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_DIRECTORY:
        return EISDIR;
    default:
        return EIO;
    }
}

bool failed_with_last_error() {
    errno = errno_of(GetLastError());
    return false;
}
