// The questions a command line can ask instead of starting the dialogue.
#pragma once

enum class Request { dialogue, help, version };

// What the command line asks for: the first argument that is exactly --help,
// -h or --version decides; every other argument leaves the dialogue.
Request requested_by(int argc, char** argv);

// Writes the usage or the version line to standard output. Gives the exit
// status: 0, or 1 when standard output could not take the text (a full disk),
// so that a script does not take a missing answer for one.
int answer_request(Request request);
