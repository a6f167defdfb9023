#include "run_program_system.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <windows.h>

const System this_system = System::windows;

// Resource limits, link-time wrapping, signals, closed descriptors and
// another user have no counterpart in this runner.
std::string unsupported_setup(const RunSetup& setup) {
    if (setup.address_space || setup.file_size) return "no setrlimit on Windows";
    if (setup.with_faults) return "no link-time wrapped build on Windows";
    if (setup.interrupt || setup.unprivileged || !setup.closed_descriptors.empty())
        return "no signals, closed descriptors or other users in this runner";
    return {};
}

std::string make_run_folder() {
    static unsigned serial = 0;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (;;) {
        std::filesystem::path folder =
            base / ("clustmat-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(++serial));
        if (std::filesystem::create_directory(folder)) return folder.string();
    }
}

static HANDLE inheritable(const std::string& path, bool reading) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), reading ? GENERIC_READ : GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       reading ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The exit status as a POSIX shell sees it (return -1 gives 255), so that
// the tables' statuses hold on both systems.
void run_program_in(const std::string& directory, const std::string& in, const std::string& out,
                    const std::string& err, const RunSetup& setup, RunResult& run) {
    // Cross-built tests run under Wine, which shows the Linux file system,
    // where the program was built, as drive Z:.
    std::string program = CLUSTMAT_PROGRAM;
    if (program.front() == '/') program = "Z:" + program;
    std::string command = "\"" + program + "\"";
    for (const auto& arg : setup.args) command += " \"" + arg + "\"";
    for (const auto& [name, value] : setup.environment)
        SetEnvironmentVariableA(name.c_str(), value.c_str());

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable(in, true);
    startup.hStdOutput = inheritable(out, false);
    startup.hStdError = inheritable(err, false);
    PROCESS_INFORMATION process{};
    bool started = CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, directory.c_str(), &startup, &process);
    for (HANDLE stream : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        CloseHandle(stream);
    for (const auto& [name, value] : setup.environment)
        SetEnvironmentVariableA(name.c_str(), nullptr);
    EXPECT_TRUE(started) << program << ": error " << GetLastError();
    run.status = -1;
    if (!started) return;

    DWORD code = 0;
    // A hang ends the run here, never the whole test program.
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    } else if (GetExitCodeProcess(process.hProcess, &code)) {
        run.status = static_cast<int>(code & 0xFF);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

std::string from_text_mode(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += "<LF without CR>";
        text += bytes[i];
    }
    return text;
}

RunResult run_on_terminal(const RunSetup&) {
    RunResult run;
    run.skipped = "no pseudo-terminals on Windows";
    return run;
}

void make_fifo(const std::string&) {
    setup_unsupported("no FIFOs on Windows");
}

void make_symlink(const std::string&, const std::string&) {
    setup_unsupported("symbolic links need privileges on Windows");
}

void make_hard_link(const std::string& existing, const std::string& path) {
    EXPECT_TRUE(CreateHardLinkA(path.c_str(), existing.c_str(), nullptr)) << path;
}
