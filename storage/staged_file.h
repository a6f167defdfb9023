// Files that appear whole or not at all. A file is written under a temporary
// name in its final folder (".trial.DIS.k3Xq9Z" for "trial.DIS") and takes
// its final name only once every byte is on the disk, so an interruption, a
// full disk or a second run at the same time can never leave a cut-off file
// or destroy the one that stood there before.
//
// Several files may be staged together (the matrices of several traits):
// none takes its name until every one is complete. Until they are
// committed, the end of the run by any way but a commit (fatal_exit, a
// signal) removes them.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Creates the temporary file for `final_name` and gives its stream (text
// mode, or binary, which writes a line end as LF on every system), or
// nullptr with errno set. The file is to replace whatever stands under the
// name (`replace`), and then keeps the permissions of a regular file there,
// or to take the name only while it is free.
std::FILE* stage_file(const std::string& final_name, bool replace, bool binary = false);

// Joins the removal of the file under `final_name` (one that would
// contradict the staged files) to them, in its turn: it goes when the files
// staged before it have taken their names, and not if one failed to. A name
// with nothing under it by then counts as removed.
void stage_removal(const std::string& final_name);

// Whether a file could be staged for `final_name` now: creates the
// temporary file and removes it again, so that no file exists while the
// run waits for anything. False with errno set.
bool can_stage_file(const std::string& final_name);

// What a commit did: every file in place (or removed), or none (`replaced`
// 0), or the first `replaced` of them, in the order they were staged, when
// putting one in its place failed. `error` is the errno of the failure, and `failed`
// the final name of the file it failed on.
struct StagedCommit {
    bool done = false;
    int error = 0;
    std::size_t replaced = 0;
    std::string failed;
};

// Syncs and closes every staged file, and once all are on the disk puts
// each in place of its final name: replacing whatever stands there, or only
// if the name is still free (otherwise failing with EEXIST). The temporary
// files that took no name are removed; the final names they were for are
// left as they were. A signal that would end the run meanwhile waits until
// every file has taken its name, or failed to.
StagedCommit commit_staged_files();

// commit_staged_files for a run that stages one file: false with errno set
// when it was not put in place.
bool commit_staged_file();

// Closes and removes the staged files, if there are any.
void discard_staged_files();
