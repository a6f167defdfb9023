// What the Windows parts of the platform share: text between code pages
// and UTF-16, the handles behind C streams, and errno for Win32 failures.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <windows.h>

// Text in code page `from` (CP_UTF8, CP_ACP, 936) as UTF-16.
std::wstring to_wide(std::string_view text, UINT from = CP_UTF8);

// UTF-16 text in code page `to`; a character the code page lacks becomes
// its best fit or '?'.
std::string from_wide(std::wstring_view text, UINT to = CP_UTF8);

HANDLE handle_of(std::FILE* stream);
bool is_console(HANDLE handle);

// Writes UTF-16 text to a console.
void write_console(HANDLE console, std::wstring_view text);

// Sets errno to what GetLastError() means, as the callers report errno;
// gives false.
bool failed_with_last_error();
