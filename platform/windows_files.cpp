// Files on Windows, through the wide calls: names are held in UTF-8 and
// given to the system as UTF-16.
#include "base/ascii_case.h"
#include "platform/platform.h"
#include "platform/windows_text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

bool is_path_separator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

// Windows drops trailing dots and blanks from a name when it opens the file,
// but not from "." and "..".
std::string_view name_as_opened(std::string_view path) {
    const std::size_t start = name_proper_start(path);
    std::size_t end = path.size();
    while (end > start && (path[end - 1] == '.' || path[end - 1] == ' ')) --end;
    return end > start ? path.substr(0, end) : path;
}

// Windows keeps these names for devices in every folder, with any extension
// and in any case: opening "com1.dat" opens the serial port, and may wait on
// it for ever. Trailing blanks and dots are dropped from names as well.
static bool is_device_name(const char* path) {
    std::string_view name = path;
    name.remove_prefix(name_proper_start(name));
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (same_ignoring_case(name, device)) return true;
    return name.size() == 4 && name[3] >= '1' && name[3] <= '9' &&
           (same_ignoring_case(name.substr(0, 3), "COM") ||
            same_ignoring_case(name.substr(0, 3), "LPT"));
}

static FileIdentity identity_from(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The C library's file numbers are 0 for every file: only the volume serial
// number and the file index tell two names of one file apart.
bool identity_of(const char* path, FileIdentity& identity) {
    if (is_device_name(path)) return false;
    // Opened for no access at all: a file that can't be read still has an
    // identity, and FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened too.
    HANDLE file = CreateFileW(to_wide(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (known) identity = identity_from(info);
    return known;
}

static std::int64_t ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime);
}

bool state_of(std::FILE* stream, FileState& state) {
    HANDLE file = handle_of(stream);
    BY_HANDLE_FILE_INFORMATION info;
    if (file == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file, &info))
        return failed_with_last_error();
    state.identity = identity_from(info);
    state.size =
        static_cast<std::int64_t>((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    state.modified = ticks(info.ftLastWriteTime);
    // The change time also moves when a file is renamed over or its
    // attributes change; where the file system keeps none, the last write
    // stands in.
    FILE_BASIC_INFO basic;
    state.changed = GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)
                        ? basic.ChangeTime.QuadPart
                        : state.modified;
    return true;
}

std::ptrdiff_t read_at(std::FILE* stream, std::uint64_t offset, char* into, std::size_t size) {
    HANDLE file = handle_of(stream);
    if (file == INVALID_HANDLE_VALUE) {
        failed_with_last_error();
        return -1;
    }
    std::size_t got = 0;
    while (got < size) {
        OVERLAPPED at{};
        const std::uint64_t from = offset + got;
        at.Offset = static_cast<DWORD>(from);
        at.OffsetHigh = static_cast<DWORD>(from >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
        DWORD now = 0;
        if (!ReadFile(file, into + got, wanted, &now, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            failed_with_last_error();
            return -1;
        }
        if (now == 0) break;
        got += now;
    }
    return static_cast<std::ptrdiff_t>(got);
}

Opening open_for_reading(const char* path, std::FILE*& stream) {
    if (is_device_name(path)) return Opening::not_a_file;
    const std::wstring name = to_wide(path);
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Opening::folder;
    // Binary: the reader takes CR as white space and Ctrl-Z as the end itself.
    int fd = _wopen(name.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) return Opening::missing;
    // A named pipe or a device reached by another name than the reserved ones.
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) != FILE_TYPE_DISK) {
        _close(fd);
        return Opening::not_a_file;
    }
    stream = _fdopen(fd, "rb");
    if (!stream) {
        _close(fd);
        return Opening::missing;
    }
    return Opening::opened;
}

// A spreadsheet holds the file it shows open without sharing its deletion,
// and no file can take the name of a file held so: asking for the right to
// delete it, while sharing everything, fails only then.
static bool held_by_another_program(const std::wstring& name) {
    HANDLE file =
        CreateFileW(name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

NameUse use_of_name(const char* path) {
    // No file can be put in a device's place.
    if (is_device_name(path)) return NameUse::protected_file;
    const std::wstring name = to_wide(path);
    DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        // Something stands there that can't even be looked at: not free. A
        // name Windows can't have (one in quotes) has nothing under it.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME
                   ? NameUse::free
                   : NameUse::protected_file;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return NameUse::folder;
    if (attributes & FILE_ATTRIBUTE_READONLY) return NameUse::protected_file;
    return held_by_another_program(name) ? NameUse::held : NameUse::replaceable;
}

bool is_folder(const char* path) {
    const DWORD attributes = GetFileAttributesW(to_wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The C library's _open would do for exclusive creation (fopen's "x" is
// ignored), but it denies deletion to others while the file is open, and the
// interrupt handler must be able to remove the unfinished file. The file is
// hidden until it takes its final name (see give_final_attributes).
std::FILE* create_new_file(const char* path, const char*, bool binary) {
    HANDLE file = CreateFileW(to_wide(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failed_with_last_error();
        return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file),
                             (binary ? _O_BINARY : _O_TEXT) | _O_NOINHERIT);
    if (fd < 0) {
        int error = errno;
        CloseHandle(file);
        errno = error;
        return nullptr;
    }
    // Text mode: each line end goes out as CR LF.
    std::FILE* stream = _fdopen(fd, binary ? "wb" : "wt");
    if (!stream) {
        int error = errno;
        _close(fd);
        errno = error;
    }
    return stream;
}

bool sync_to_disk(std::FILE* stream) {
    return std::fflush(stream) == 0 && _commit(_fileno(stream)) == 0;
}

// A file about to take the name `to` shows no longer hidden, and keeps the
// attributes of the file it replaces (archive, not indexed, ...), all but
// read-only and hidden: a protected file is never replaced, and the matrix
// is meant to be seen.
static bool give_final_attributes(const char* from, const char* to) {
    constexpr DWORD kept = ~DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT};
    DWORD old = GetFileAttributesW(to_wide(to).c_str());
    DWORD attributes = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kept;
    return SetFileAttributesW(to_wide(from).c_str(),
                              attributes ? attributes : FILE_ATTRIBUTE_NORMAL) ||
           failed_with_last_error();
}

// MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
bool replace_file(const char* from, const char* to) {
    return give_final_attributes(from, to) &&
           (MoveFileExW(to_wide(from).c_str(), to_wide(to).c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
            failed_with_last_error());
}

bool place_file(const char* from, const char* to) {
    return give_final_attributes(from, to) &&
           (MoveFileExW(to_wide(from).c_str(), to_wide(to).c_str(), MOVEFILE_WRITE_THROUGH) ||
            failed_with_last_error());
}

bool remove_file(const char* path) {
    return DeleteFileW(to_wide(path).c_str()) || failed_with_last_error();
}

std::size_t physical_memory() {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status) || status.ullTotalPhys == 0 ||
        status.ullTotalPhys > SIZE_MAX)
        return SIZE_MAX;
    return static_cast<std::size_t>(status.ullTotalPhys);
}
