// The console on Windows: the command line, names typed at the console,
// texts in any code page, and the end of a run by a console event.
#include "platform/input_line.h"
#include "platform/platform.h"
#include "platform/windows_text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <io.h>

// The C run-time's own reading of the command line, in UTF-16: the
// arguments split as every Windows program splits them, without another
// system library for CommandLineToArgvW.
extern "C" __declspec(dllimport) int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env,
                                                    int expand_wildcards, void* startup);

std::vector<std::string> command_line_arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** arguments = nullptr;
    wchar_t** environment = nullptr;
    int startup[1] = {0};
    if (__wgetmainargs(&count, &arguments, &environment, 0, startup) != 0 || !arguments)
        return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
    std::vector<std::string> names;
    for (int i = 1; i < count; ++i) names.push_back(from_wide(arguments[i]));
    return names;
}

bool on_windows() {
    return true;
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

// The handler runs on a thread of its own while the main thread goes on:
// the list of files it removes is replaced whole under a lock it takes too.
static std::vector<std::wstring>* cleanup_paths = nullptr;
static SRWLOCK cleanup_lock = SRWLOCK_INIT;
// Held by the main thread while it puts a set of files in place, and by the
// handler's thread from an event on: an event waits for the set to be in
// place (the system ends the run only once the handler returns), and no set
// is begun once an event came.
static SRWLOCK hold_lock = SRWLOCK_INIT;

static BOOL WINAPI end_interrupted_run(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
        event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // Kept until the run ends.
        AcquireSRWLockShared(&hold_lock);
        // The staged files were opened for sharing deletion: each goes as
        // soon as the run's handle on it is closed.
        AcquireSRWLockExclusive(&cleanup_lock);
        if (cleanup_paths)
            for (const std::wstring& path : *cleanup_paths) DeleteFileW(path.c_str());
        ReleaseSRWLockExclusive(&cleanup_lock);
    }
    return FALSE; // the system's own handler then ends the run
}

void install_interrupt_handling() {
    SetConsoleCtrlHandler(end_interrupted_run, TRUE);
}

void hold_interrupts() {
    AcquireSRWLockExclusive(&hold_lock);
}

void release_interrupts() {
    ReleaseSRWLockExclusive(&hold_lock);
}

void set_interrupt_cleanup(const std::vector<std::string>& paths) {
    auto* const list = new std::vector<std::wstring>();
    for (const std::string& path : paths) list->push_back(to_wide(path));
    AcquireSRWLockExclusive(&cleanup_lock);
    std::vector<std::wstring>* const previous = cleanup_paths;
    cleanup_paths = list;
    ReleaseSRWLockExclusive(&cleanup_lock);
    delete previous;
}

// A console shows text in its own code page, which need not be 936 even on
// a Chinese Windows (chcp 65001), and Wine's console never shows GBK bytes:
// the console is given the characters themselves.
void put_gbk_text(std::FILE* stream, std::string_view text) {
    HANDLE console = handle_of(stream);
    if (!is_console(console)) {
        std::fwrite(text.data(), 1, text.size(), stream);
        return;
    }
    std::fflush(stream);
    write_console(console, to_wide(text, 936));
}

static bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Names are held in UTF-8: a console is given their characters, a pipe or a
// file the ANSI code page's bytes, as a name typed there would have been.
void put_console_text(std::FILE* stream, std::string_view text) {
    HANDLE console = handle_of(stream);
    if (is_ascii(text)) {
        std::fwrite(text.data(), 1, text.size(), stream);
    } else if (is_console(console)) {
        std::fflush(stream);
        write_console(console, to_wide(text));
    } else {
        const std::string bytes = from_wide(to_wide(text), CP_ACP);
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
    }
}

std::string file_text(std::string_view bytes) {
    return is_ascii(bytes) ? std::string(bytes) : from_wide(to_wide(bytes, CP_ACP));
}

std::string console_form(std::string_view bytes, TextEncoding encoding) {
    return utf8_text(bytes, encoding);
}

bool system_is_chinese() {
    const UINT code_page = GetACP();
    return code_page == 936 || code_page == 54936;
}

// Long paths work where the system has them enabled and the program says in
// its manifest that it takes them; the query is in ntdll from Windows 10 on.
static bool long_paths_enabled() {
    using Query = BOOLEAN(WINAPI*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const FARPROC found = ntdll ? GetProcAddress(ntdll, "RtlAreLongPathsEnabled") : nullptr;
    return found && reinterpret_cast<Query>(reinterpret_cast<void (*)()>(found))();
}

NameLimit name_limit() {
    return {long_paths_enabled() ? std::size_t{32767} : std::size_t{MAX_PATH}, false};
}

// NTFS, FAT32 and exFAT alike take 255 UTF-16 characters in a name.
NameLimit name_proper_limit(const std::string&) {
    return {255, false};
}

std::size_t name_length(std::string_view name) {
    return to_wide(name).size();
}

// A console line as its characters: the console's code page (65001 in
// Windows Terminal, 936 on a Chinese Windows) has no say. At most `limit`
// characters and a CR LF are held; the rest of a longer line is read and
// dropped, so that it is not left for the shell.
static std::optional<std::wstring> read_console_line(HANDLE console, std::size_t limit) {
    std::wstring line;
    bool too_long = false;
    wchar_t typed[512];
    DWORD count = 0;
    while (ReadConsoleW(console, typed, 512, &count, nullptr) && count > 0) {
        const wchar_t* end = std::find(typed, typed + count, L'\n');
        const std::size_t taken = static_cast<std::size_t>(end - typed);
        if (line.size() + taken <= limit + 1)
            line.append(typed, taken);
        else
            too_long = true;
        if (end != typed + count) break;
    }
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (too_long || line.size() > limit) return std::nullopt;
    return line;
}

std::optional<std::string> read_name_line() {
    std::fflush(stdout);
    const std::size_t limit = name_limit().length;
    HANDLE input = handle_of(stdin);
    if (is_console(input)) {
        std::optional<std::wstring> line = read_console_line(input, limit);
        if (!line) return std::nullopt;
        return from_wide(*line);
    }
    // From a pipe or a file: bytes in the ANSI code page, at most four to a
    // character (UTF-8, where that is the code page).
    bool too_long;
    const std::string bytes = read_input_line(4 * limit + 2, too_long);
    const std::wstring line = to_wide(bytes, CP_ACP);
    if (too_long || line.size() > limit) return std::nullopt;
    return from_wide(line);
}

std::string_view name_quotes() {
    return "\"";
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
