#include "platform/platform.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

// Names are the bytes typed at the console, so every call takes them in the
// ANSI code page: the A functions throughout, never a conversion of our own.

static HANDLE handle_of(std::FILE* stream) {
    int fd = _fileno(stream);
    return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

static bool is_console(HANDLE handle) {
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
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

static bool failed_with_last_error() {
    errno = errno_of(GetLastError());
    return false;
}

// Windows keeps these names for devices in every folder, with any extension
// and in any case: opening "com1.dat" opens the serial port, and may wait on
// it for ever. Trailing blanks and dots are dropped from names as well.
static bool is_device_name(const char* path) {
    std::string_view name = path;
    for (std::size_t i = name.size(); i > 0; --i)
        if (is_path_separator(name[i - 1])) {
            name.remove_prefix(i);
            break;
        }
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    auto is = [](std::string_view text, std::string_view device) {
        if (text.size() != device.size()) return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if ((text[i] >= 'a' && text[i] <= 'z' ? text[i] - 'a' + 'A' : text[i]) != device[i])
                return false;
        return true;
    };
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (is(name, device)) return true;
    return name.size() == 4 && name[3] >= '1' && name[3] <= '9' &&
           (is(name.substr(0, 3), "COM") || is(name.substr(0, 3), "LPT"));
}

void prepare_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        // -2: the run was started without that stream at all.
        intptr_t handle = _get_osfhandle(fd);
        if (handle != -1 && handle != -2) continue;
        int opened = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (opened >= 0 && opened != fd) {
            _dup2(opened, fd);
            _close(opened);
        }
    }
}

// The handler runs on a thread of its own while the main thread goes on, so
// it only reads a name that is complete whenever the flag is set.
static char cleanup_path[MAX_PATH + 1];
static volatile LONG cleanup_wanted = 0;

static BOOL WINAPI end_interrupted_run(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
        event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The staged file was opened for sharing deletion: it goes as soon
        // as the run's handle on it is closed.
        if (cleanup_wanted) DeleteFileA(cleanup_path);
    }
    return FALSE; // the system's own handler then ends the run
}

void install_interrupt_handling() {
    SetConsoleCtrlHandler(end_interrupted_run, TRUE);
}

void set_interrupt_cleanup(const char* path) {
    InterlockedExchange(&cleanup_wanted, 0);
    if (!path || std::strlen(path) >= sizeof cleanup_path) return;
    std::strcpy(cleanup_path, path);
    InterlockedExchange(&cleanup_wanted, 1);
}

// A console shows text in its own code page, which need not be 936 even on
// a Chinese Windows (chcp 65001), and Wine's console never shows GBK bytes:
// the console is given the characters themselves.
void put_gbk_text(std::FILE* stream, std::string_view text) {
    HANDLE console = handle_of(stream);
    if (!is_console(console) || text.size() > INT_MAX / 2) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::fflush(stream);
    const int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(936, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(936, 0, text.data(), size, wide.data(), length);
    for (const wchar_t* rest = wide.data(); length > 0;) {
        DWORD written = 0;
        if (!WriteConsoleW(console, rest, static_cast<DWORD>(length), &written, nullptr) ||
            written == 0)
            return;
        rest += written;
        length -= static_cast<int>(written);
    }
}

// Only a console that serves this run alone (the window a double-click
// opened) closes with it; with input from a file or a pipe nobody is there
// to press Enter. The answer is read from the console itself, past whatever
// is left unread in stdin, and keys typed before the prompt don't count.
void hold_console_window(std::string_view prompt) {
    DWORD processes[2];
    HANDLE input = handle_of(stdin);
    if (GetConsoleProcessList(processes, 2) != 1 || !is_console(input) ||
        !is_console(handle_of(stderr)))
        return;
    std::fflush(stdout);
    put_gbk_text(stderr, prompt);
    std::fflush(stderr);
    FlushConsoleInputBuffer(input);
    wchar_t typed[64];
    DWORD count = 0;
    while (ReadConsoleW(input, typed, 64, &count, nullptr) && count > 0)
        if (std::wmemchr(typed, L'\r', count) || std::wmemchr(typed, L'\n', count)) return;
}

bool is_path_separator(char c) {
    return c == '/' || c == '\\' || c == ':';
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
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

Opening open_for_reading(const char* path, std::FILE*& stream) {
    if (is_device_name(path)) return Opening::not_a_file;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Opening::folder;
    // Binary: the reader takes CR as white space and Ctrl-Z as the end itself.
    int fd = _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
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

NameUse use_of_name(const char* path) {
    // No file can be put in a device's place.
    if (is_device_name(path)) return NameUse::protected_file;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        // Something stands there that can't even be looked at: not free.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? NameUse::free
                   : NameUse::protected_file;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return NameUse::folder;
    if (attributes & FILE_ATTRIBUTE_READONLY) return NameUse::protected_file;
    return NameUse::replaceable;
}

// The C library's _open would do for exclusive creation (fopen's "x" is
// ignored), but it denies deletion to others while the file is open, and the
// interrupt handler must be able to remove the unfinished file. The file is
// hidden until it takes its final name (see give_final_attributes).
std::FILE* create_new_file(const char* path, const char*) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        failed_with_last_error();
        return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_TEXT | _O_NOINHERIT);
    if (fd < 0) {
        int error = errno;
        CloseHandle(file);
        errno = error;
        return nullptr;
    }
    // Text mode: each line end goes out as CR LF.
    std::FILE* stream = _fdopen(fd, "wt");
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
    DWORD old = GetFileAttributesA(to);
    DWORD attributes = old == INVALID_FILE_ATTRIBUTES ? 0 : old & kept;
    return SetFileAttributesA(from, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) ||
           failed_with_last_error();
}

// MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
bool replace_file(const char* from, const char* to) {
    return give_final_attributes(from, to) &&
           (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
            failed_with_last_error());
}

bool place_file(const char* from, const char* to) {
    return give_final_attributes(from, to) &&
           (MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH) || failed_with_last_error());
}

bool remove_file(const char* path) {
    return DeleteFileA(path) || failed_with_last_error();
}

std::size_t physical_memory() {
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status) || status.ullTotalPhys == 0 ||
        status.ullTotalPhys > SIZE_MAX)
        return SIZE_MAX;
    return static_cast<std::size_t>(status.ullTotalPhys);
}
