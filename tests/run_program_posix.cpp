#include "run_program_system.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

const System this_system = System::posix;

std::string unsupported_setup(const RunSetup&) {
    return {};
}

std::string make_run_folder() {
    char pattern[] = "/tmp/clustmat-test-XXXXXX";
    return mkdtemp(pattern);
}

int run_program_in(const std::string& directory, const std::string& in, const std::string& out,
                   const std::string& err, const RunSetup& setup) {
    if (pid_t child = fork(); child == 0) {
        if (chdir(directory.c_str()) != 0) _exit(126);
        dup2(open(in.c_str(), O_RDONLY), 0);
        dup2(open(out.c_str(), O_WRONLY | O_CREAT, 0600), 1);
        dup2(open(err.c_str(), O_WRONLY | O_CREAT, 0600), 2);
        if (setup.address_space) {
            rlimit limit{*setup.address_space, *setup.address_space};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (setup.file_size) {
            rlimit limit{*setup.file_size, *setup.file_size};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN); // a write past the limit fails as on a full disk
        }
        for (const auto& [name, value] : setup.environment) setenv(name.c_str(), value.c_str(), 1);
        alarm(60); // a hang shows up as SIGALRM, never as a stuck test run
        const char* program = setup.with_faults ? CLUSTMAT_FAULTY_PROGRAM : CLUSTMAT_PROGRAM;
        std::vector<char*> argv{const_cast<char*>(program)};
        for (const auto& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        _exit(127);
    } else {
        int wait_status = 0;
        waitpid(child, &wait_status, 0);
        return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    }
}

std::string from_text_mode(const std::string& bytes) {
    return bytes;
}

void make_fifo(const std::string& path) {
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
}

void make_symlink(const std::string& target, const std::string& path) {
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;
}

void make_hard_link(const std::string& existing, const std::string& path) {
    EXPECT_EQ(link(existing.c_str(), path.c_str()), 0) << path;
}
