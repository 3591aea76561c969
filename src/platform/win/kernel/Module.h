#pragma once

// Modules: the program itself, the stand-in's system modules (kernel32.dll,
// user32.dll, ...) whose exports are published by name, and shared
// libraries loaded at run time with dlopen.

#include "platform/win/WinTypes.h"

#include <string_view>

namespace win {

// A path (anything with "/") is loaded as given, spaces and non-ASCII
// characters included; a bare name is one of the system modules or is looked
// for in the program's folder, then by the dynamic linker's search. Loading
// the same library again returns the same handle and counts a reference.
// Fails with ERROR_MOD_NOT_FOUND (no such file) or ERROR_BAD_EXE_FORMAT
// (the file exists but does not load).
HMODULE LoadLibraryW(LPCWSTR fileName);

// Drops one reference; the library is unloaded with the last one. System
// modules and the program stay. ERROR_INVALID_HANDLE for unknown handles.
BOOL FreeLibrary(HMODULE module);

// nullptr with ERROR_PROC_NOT_FOUND when the module does not export the name.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// nullptr names the program. System modules match with or without ".dll";
// loaded libraries match by file name, ignoring ASCII case. No reference is
// counted. ERROR_MOD_NOT_FOUND when nothing matches.
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// The module's full path. When it does not fit, the text is truncated to
// size - 1 characters plus the zero, size is returned and the last error is
// ERROR_INSUFFICIENT_BUFFER. The system modules live in the file that holds
// the stand-in, normally the program.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

// Publishes an export of a system module, so GetProcAddress finds it by name.
void RegisterSystemExport(std::string_view module, std::string_view name, FARPROC proc);

} // namespace win
