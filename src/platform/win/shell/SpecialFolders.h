#pragma once

// Shell special folders, mapped to the XDG base directories:
//
//   CSIDL_APPDATA               $XDG_CONFIG_HOME, else ~/.config
//   CSIDL_LOCAL_APPDATA         $XDG_DATA_HOME, else ~/.local/share
//   CSIDL_COMMON_APPDATA        first entry of $XDG_DATA_DIRS, else /usr/local/share
//   CSIDL_PROGRAM_FILES         /opt
//   CSIDL_PROFILE               $HOME, else the user's home from the password database
//   CSIDL_PROGRAM_FILES_COMMON  /usr/local/lib
//
// Relative values of the variables are ignored, as the XDG rules say. Paths
// have no trailing "/". Other folder ids are not supported.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"

namespace win {

constexpr int MAX_PATH = 260;

constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x002B;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr int CSIDL_FLAG_MASK = 0xFF00;

// `path` receives up to MAX_PATH characters including the zero. Fails for
// an unsupported id, a path that does not fit (a long XDG variable is enough
// to provoke that), no home folder, or a folder that `create` (or
// CSIDL_FLAG_CREATE) could not create.
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);

// The home folder of the named user from the password database, or
// "/home/" + name when the database does not know the user. The counterpart
// of a profile folder "\Users\" + name.
[[nodiscard]] rtl::String HomeFolderOfUser(rtl::StringView userName);

} // namespace win
