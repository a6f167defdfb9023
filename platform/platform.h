// What the program asks of the operating system where POSIX systems and
// Windows differ. posix.cpp, and the windows_*.cpp files together, each
// implement all of it, and the build compiles those for its target: no other
// file knows which system it runs on.
//
// Names of files are held as the system's own file calls take them: on
// POSIX the bytes as typed; on Windows UTF-8, turned into UTF-16 for every
// call (the wide, W, calls), so that any script's characters reach the file
// whatever the console's code page. Texts for the console (messages, which
// hold names) are held the same way.
#pragma once

#include "base/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ---- Start-up and the console

// Opens each of the standard streams' descriptors 0, 1 and 2 that is closed on
// the null device, so that no file the program opens can take a console
// stream's place and receive its prompts or messages.
void prepare_standard_streams();

// From here on every signal that would end the run (Ctrl-C, Ctrl-\, kill, a
// closed terminal or pipe, a timer, a CPU limit) first removes the files
// named by set_interrupt_cleanup, then ends the run as it would have ended
// it anyway; on Windows, every console event that ends it. A signal ignored
// by whoever started the run (nohup) stays ignored. A write beyond a
// file-size limit fails like a write to a full disk instead of ending the run.
void install_interrupt_handling();

// The files an interrupted run must remove (the names are copied), in place
// of those named before.
void set_interrupt_cleanup(const std::vector<std::string>& paths);

// Between these two, the signals and console events that end the run wait:
// a set of files put in place is never cut in two. Once released, one that
// came meanwhile ends the run as it would have, after the cleanup.
void hold_interrupts();
void release_interrupts();

// The command line's arguments after the program's name, as names are held:
// on Windows read again from the command line's UTF-16 characters.
std::vector<std::string> command_line_arguments(int argc, char** argv);

// Whether this is Windows, for the texts that tell the user what to do.
bool on_windows();

// Writes a Chinese text, held as GBK bytes, to a console stream so that the
// console shows its characters: converted where the console needs another
// encoding, the bytes unchanged into a pipe or a file.
void put_gbk_text(std::FILE* stream, std::string_view text);

// Writes a text as names are held (an English text with names in it) to a
// console stream: on Windows, its characters to a console, and in the ANSI
// code page into a pipe or a file, as a name typed there would be; on POSIX
// the bytes unchanged.
void put_console_text(std::FILE* stream, std::string_view text);

// Bytes read from a data file, as texts are held, for a message: on Windows
// taken to be in the ANSI code page; on POSIX unchanged.
std::string file_text(std::string_view bytes);

// GBK bytes (a Chinese spreadsheet's CSV export) as UTF-8, the same bytes on
// every system: ASCII as it is, control bytes included; each two-byte
// character as the system converts it; and U+FFFD for a byte that starts no
// character (0x80, 0xFF, a lead byte without its trail byte) and for a
// character the system can't convert or gives only a private-use character.
std::string utf8_from_gbk(std::string_view gbk);

// A data file's bytes in `encoding` as UTF-8, the same on every system;
// bytes that are no UTF-8 under utf8 stay as they are, for the picture's
// writer and the console to mark.
inline std::string utf8_text(std::string_view bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::gbk:
        return utf8_from_gbk(bytes);
    case TextEncoding::windows_1252:
        return utf8_from_windows_1252(bytes);
    case TextEncoding::utf8:
        break;
    }
    return std::string(bytes);
}

// A data file's bytes for a message once the file's code page is known: on
// Windows its characters (UTF-8, as texts are held); on POSIX unchanged, as
// the terminal shows the file's own bytes.
std::string console_form(std::string_view bytes, TextEncoding encoding);

// Whether the system says its user reads Chinese, which makes a rare GBK
// character likelier than two accented letters: on Windows the ANSI code
// page 936 (or GB18030's 54936); on POSIX a GBK, GB18030 or GB2312 locale,
// named by the first of LC_ALL, LC_CTYPE and LANG that is set.
bool system_is_chinese();

// The longest name the system takes, in bytes (POSIX, 4096) or in UTF-16
// characters (Windows: 32767 where long paths are enabled, else 260).
struct NameLimit {
    std::size_t length;
    bool in_bytes;
};
NameLimit name_limit();

// The longest name proper (the part after the last folder separator) the
// file system of `path`'s folder takes, counted as name_limit(): 255 where
// the system can't tell.
NameLimit name_proper_limit(const std::string& path);

// The length of a name counted in name_limit()'s unit.
std::size_t name_length(std::string_view name);

// Reads one line of standard input as a file name, without its line end (a
// CR before it dropped): from a Windows console as its characters, else as
// bytes (in the ANSI code page on Windows), and gives it as names are held.
// Gives nothing when the line is longer than name_limit(): the rest of it is
// then read and dropped, never held.
std::optional<std::string> read_name_line();

// The quote characters a pasted or dragged name may come in: a double quote,
// and on POSIX a single quote.
std::string_view name_quotes();

// When the console window was opened for this run alone (a double-clicked
// program), shows `prompt` (a text in either language, as put_gbk_text takes
// it) and keeps the window open until Enter is pressed, so that the last
// messages can be read. Does nothing otherwise.
void hold_console_window(std::string_view prompt);

// ---- Files

// The characters that separate a folder from the name after it.
bool is_path_separator(char c);

// The name as the system opens it: Windows drops trailing dots and blanks
// from it ("trial.dat." opens trial.dat); POSIX takes it as it is.
std::string_view name_as_opened(std::string_view path);

// Where the name proper starts after its folder: 4 in "sub/trial.DIS".
inline std::size_t name_proper_start(std::string_view path) {
    std::size_t start = path.size();
    while (start > 0 && !is_path_separator(path[start - 1])) --start;
    return start;
}

// Tells whether two names lead to the same file, links included.
struct FileIdentity {
    std::uint64_t device = 0, file = 0;
    bool operator==(const FileIdentity&) const = default;
};

// What changes when a file is written to or replaced.
struct FileState {
    FileIdentity identity;
    std::int64_t size = 0;
    std::int64_t modified = 0, changed = 0; // in the system's finest unit
    bool operator==(const FileState&) const = default;
};

// The identity of the file a name leads to (links followed); false when
// there is none.
bool identity_of(const char* path, FileIdentity& identity);

// The state of an open file; false when the system can't tell.
bool state_of(std::FILE* stream, FileState& state);

// Reads up to `size` bytes of an open file from byte `offset` on, as
// several threads may at once, and whatever the stream's own place (which
// it may move on Windows: the stream is not read on after). Gives the bytes
// read, fewer only at the end of the file; -1 on a read error, with errno.
std::ptrdiff_t read_at(std::FILE* stream, std::uint64_t offset, char* into, std::size_t size);

enum class Opening {
    opened,     // a file, now open for reading
    missing,    // nothing that can be opened
    folder,     // a folder
    not_a_file, // a device, pipe or socket: reading it could wait or never end
};

// Opens a data file for reading in binary mode, without ever waiting on a
// pipe or a device. Sets `stream` only when it gives `opened`.
Opening open_for_reading(const char* path, std::FILE*& stream);

enum class NameUse {
    free,           // nothing stands under the name
    replaceable,    // a file this user may write, or a link, pipe, ... (never written through)
    protected_file, // a file this user may not write: someone protected it
    folder,
    held, // a file another program holds open so that it can't be replaced (Windows)
};

// What stands under a name, links not followed.
NameUse use_of_name(const char* path);

// Whether a name leads to a folder, links followed.
bool is_folder(const char* path);

// Creates a new file for writing in text mode, failing (with errno) when the
// name exists in any form, a dangling link included. When `replaced` names a
// regular file, which the new one is to replace, the new one gets its
// permission bits and, where the user may set it, its group; otherwise the
// usual permissions for a new file.
// In text mode, unless `binary`: then a line end is written as LF on
// Windows too.
std::FILE* create_new_file(const char* path, const char* replaced = nullptr, bool binary = false);

// Flushes a stream and makes the system write it to the disk; false with
// errno set when either fails.
bool sync_to_disk(std::FILE* stream);

// Puts the closed file `from` in place of `to`, replacing whatever stood
// there in one step, and makes the change durable. False with errno set.
bool replace_file(const char* from, const char* to);

// Puts the closed file `from` under the name `to`, which must be free: fails
// with EEXIST when anything appeared there. Makes the change durable. False
// with errno set; `from` is left as it was then.
bool place_file(const char* from, const char* to);

// Removes a file; false with errno set.
bool remove_file(const char* path);

// ---- Memory

// The machine's physical memory in bytes, or SIZE_MAX when the system can't tell.
std::size_t physical_memory();
