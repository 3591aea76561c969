#pragma once

// The entry points of the browser-engine loader library, as the program
// finds them with GetProcAddress.

#include "platform/win/WinTypes.h"

// Reports the version of the installed browser engine, allocated with
// CoTaskMemAlloc for the caller to free with CoTaskMemFree. With a folder,
// the engine is looked for in that folder instead of the system's. Returns
// S_OK with the version, or a failure HRESULT with *versionInfo nullptr:
// E_POINTER without an output pointer, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
// when no engine can be loaded, HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) when
// the library found is not the engine, E_OUTOFMEMORY.
using TGetAvailableCoreWebView2BrowserVersionString = win::HRESULT (*)(win::LPCWSTR browserExecutableFolder,
                                                                       win::LPWSTR* versionInfo);

inline constexpr const char* kGetAvailableCoreWebView2BrowserVersionString =
    "GetAvailableCoreWebView2BrowserVersionString";
