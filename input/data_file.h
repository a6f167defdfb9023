// The design data file of a run: its name, its open stream, and the state
// it was opened in. The dialogue opens it and gives it to the template
// writer's caller, the loader and the naming of the matrix file.
#pragma once

#include "platform/platform.h"

#include <cstdio>
#include <optional>
#include <string>

struct DataFile {
    std::string name;            // as the user gave it
    std::FILE* stream = nullptr; // open for reading in binary, until the loader closes it
    // The file as it was opened: no output may ever be written over it, and
    // a file that changes while it is read is refused.
    FileState state;
};

// Opens the named file for reading and records its state. Gives nothing
// when there is nothing to open under the name. A folder, or a device, pipe
// or socket (a FIFO would keep the run waiting for a writer, /dev/zero
// never ends), ends the run through fatal_exit.
std::optional<DataFile> open_data_file(const std::string& name);

// Whether the open data file is still the one, and as it was, when opened.
bool data_file_as_opened(const DataFile& file);

// Closes the data stream.
void close_data_file(DataFile& file);

// Ends the run through fatal_exit: the data file `name` can't be read, for
// the reason `error_number` gives.
[[noreturn]] void data_file_unreadable(std::string_view name, int error_number);
