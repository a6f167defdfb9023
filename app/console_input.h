// Answers typed at the console (the data file's name is read by the
// platform, which knows the console's characters). Every reader flushes
// standard output first, so that an interactive console shows the prompt
// before the program waits.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Reads one character; EOF at end of input.
int read_console_char();

// Reads and discards everything up to and including the next line end.
void discard_console_line();

// Reads and discards the rest of a word: everything up to and including the
// next blank or line end.
void discard_console_word();

// Reads an integer the way "%d" does: white space skipped, an optional sign,
// decimal digits, nothing more consumed ("1x" gives 1 and leaves the x).
// Nothing when no number within int stands there.
std::optional<int> read_console_int();

// Reads a whole number typed as a word of its own: white space skipped, then
// an optional sign and decimal digits within int, followed by a blank, a line
// end or the end of input (left unread): "3a" is no number. `word` holds the
// word as typed (its first token_shown + 1 characters; empty at the end of
// input).
struct ConsoleWord {
    std::optional<int> number;
    std::string word;
};
ConsoleWord read_console_whole_number();
