// Failed system calls shown with the system's own text, and documents and links opened by the shell.
#ifndef SONOREL_UI_ERRORS_H
#define SONOREL_UI_ERRORS_H

#include <windows.h>

#include <string>

// Error box with the system's text for `code` under "エラー"; nothing for 0.
void ReportSystemError(HWND owner, DWORD code);
// Error box with `text` under "エラー".
void ReportError(HWND owner, const std::string& text);
// The system's text for code (string 109 when it has none). False, text untouched, for 0.
bool SystemErrorText(std::string& text, DWORD code);
// Opens a path, URL or mailto: link with its default action; a failure is reported.
void OpenWithShell(const char* target, HWND owner);

#endif
