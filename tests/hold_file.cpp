// A Windows program of the tests that holds a file open as a spreadsheet
// does, reading it and sharing only reading: no other program may write it,
// delete it or put another file in its place. It says "held" on standard
// output once it holds the file, and lets go when its standard input ends.
//
//   hold_file.exe NAME
#include <cstdio>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::puts("held");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    CloseHandle(file);
    return 0;
}
