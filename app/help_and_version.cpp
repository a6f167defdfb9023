#include "app/help_and_version.h"

#include "app/console_texts.h"

#include <cstdio>
#include <string_view>

Request requested_by(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") return Request::help;
        if (arg == "--version") return Request::version;
    }
    return Request::dialogue;
}

int answer_request(Request request) {
    if (request == Request::help)
        put_text(stdout, texts::usage);
    else
        put_text(stdout, fill(texts::version_line, {CLUSTMAT_VERSION}));
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? exit_written : exit_refused;
}
