// Start-up: the console language, and the dialogue that ends with the design
// data file open for reading.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdio>

// The name holds at most 31 characters, as the data files of old DOS
// installations were named; a longer one is refused, never cut short.
inline constexpr std::size_t data_name_capacity = 32;

extern char data_file_name[data_name_capacity]; // as typed at the console
extern std::FILE* data_stream;                  // the open design data file
// The data file as it was opened: no output may ever be written over it, and
// a file that changes while it is read is refused.
extern FileState data_file_state;

// Sets chinese_mode from the command line: only an argument that is exactly
// "c" or "C" selects Chinese.
void select_language(int argc, char** argv);

// Asks for the data file's name and opens it; for a missing file, offers to
// create a design template under that name. Ends the run through fatal_exit
// on a refusal, an overlong name, a name that leads to a device, pipe, socket
// or folder, or a template that can't be created.
void open_data_file();
