// Files that appear whole or not at all. A file is written under a temporary
// name in its final folder (".trial.DIS.k3Xq9Z" for "trial.DIS") and takes
// its final name only once every byte is on the disk, so an interruption, a
// full disk or a second run at the same time can never leave a cut-off file
// or destroy the one that stood there before.
//
// One file is staged at a time. Until it is committed, the end of the run by
// any way but a commit (fatal_exit, a signal) removes it.
#pragma once

#include <cstdio>
#include <string>

// Creates the temporary file for `final_name` and gives its stream (text
// mode), or nullptr with errno set. The file is to replace whatever stands
// under the name (`replace`), and then keeps the permissions of a regular
// file there, or to take the name only while it is free.
std::FILE* stage_file(const std::string& final_name, bool replace);

// Whether a file could be staged for `final_name` now: creates the
// temporary file and removes it again, so that no file exists while the
// run waits for anything. False with errno set.
bool can_stage_file(const std::string& final_name);

// Syncs and closes the staged file and puts it in place of its final name:
// replacing whatever stands there, or only if the name is still free
// (otherwise failing with EEXIST). Gives false with errno set when any step
// failed; the temporary file is then removed and the final name is left as
// it was.
bool commit_staged_file();

// Closes and removes the staged file, if there is one.
void discard_staged_file();
