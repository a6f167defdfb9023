// The design data file of the run: its name, its open stream, and the state
// it was opened in. The dialogue names and opens it; the template generator
// writes it, the loader reads it and the matrix file is named after it.
#pragma once

#include "platform/platform.h"

#include <cstdio>
#include <string>

extern std::string data_file_name; // as the user gave it
extern std::FILE* data_stream;     // open for reading in binary, until the loader closes it
// The file as it was opened: no output may ever be written over it, and a
// file that changes while it is read is refused.
extern FileState data_file_state;

// Opens the named file for reading and records its state. Gives false when
// there is nothing to open under the name. A folder, or a device, pipe or
// socket (a FIFO would keep the run waiting for a writer, /dev/zero never
// ends), ends the run through fatal_exit.
bool open_data_file(const std::string& name);

// Whether the open data file is still the one, and as it was, when opened.
bool data_file_as_opened();

// Closes the data stream.
void close_data_file();

// Ends the run through fatal_exit: the data file can't be read, for the
// reason `error_number` gives.
[[noreturn]] void data_file_unreadable(int error_number);
