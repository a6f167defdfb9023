// What run_program.cpp needs from the system it runs on; one file per system
// (run_program_posix.cpp, run_program_windows.cpp) implements it.
#pragma once

#include "run_program.h"

#include <string>

extern const System this_system;

// Why a setup can't be made here (a resource limit, the fault-injecting
// build), or nothing.
std::string unsupported_setup(const RunSetup& setup);

// Marks the current run as one that can't be set up on this system.
void setup_unsupported(const std::string& why);

// A new, empty folder of the run's own.
std::string make_run_folder();

// Runs the program (the faulty build if asked) in `directory` with its
// standard streams from and to the files `in`, `out` and `err`, and records
// in `run` how it ended: its exit status, or -1 and the signal that ended it,
// and what it left of its input.
void run_program_in(const std::string& directory, const std::string& in, const std::string& out,
                    const std::string& err, const RunSetup& setup, RunResult& run);

// The bytes of a text written through a text-mode stream, with "\n" line ends.
std::string from_text_mode(const std::string& bytes);
