// The command line: the language, the data file, how it is read, the
// layout and the matrix file's name; or a question (--help, --version)
// answered instead of a run.
#pragma once

#include "base/text_encoding.h"
#include "input/loader.h"
#include "tree/trait_tree.h"
#include "trial/trait_cube.h"

#include <optional>
#include <string>
#include <vector>

enum class Request { run, help, version, usage_error };

struct CommandLine {
    Request request = Request::run;
    std::string usage_error; // what is wrong, for Request::usage_error
    bool chinese = false;    // an argument that is exactly "c" or "C"
    std::optional<std::string> data_file;
    std::optional<std::string> output;
    std::optional<Layout> layout;
    LoadOptions load;
    bool several_traits = false; // --columns names more than one trait
    bool tree = false;           // --tree: cluster the matrix's columns
    TreeOptions tree_options;
    // --threads, else the machine's hardware threads: how many may share
    // the work of a stage that can be divided (the tree's distances, which
    // tree_options.threads carries); 1 does everything on one.
    int threads = 1;
    // --encoding: the code page of the data file's names, instead of the
    // one their bytes point to.
    std::optional<TextEncoding> encoding;
};

// Reads the arguments after the program's name: c or C, the options (--name value or --name=value),
// and at most one data file; "--" ends the options. The first --help, -h or
// --version decides whatever else is given; otherwise the first fault (an
// unknown option, a bad or missing value, a second data file) is a usage
// error.
CommandLine read_command_line(const std::vector<std::string>& arguments);

// Answers a request other than a run: the usage or the version on standard
// output, or a usage error in one line on standard error. Gives the exit
// status: 0; exit_refused when standard output could not take the answer (a
// full disk), so that a script does not take a missing answer for one; or
// exit_usage for a usage error.
int answer_request(const CommandLine& line);
