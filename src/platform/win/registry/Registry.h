#pragma once

// The registry stand-in: the read-only calls the system makes (open a key,
// read a value, close it) over an in-memory store. There is no system
// registry here, so the store is empty unless a test seeds it
// (RegistrySeed.h). Key and value names ignore ASCII case; the native view
// is the only view, so KEY_WOW64_* flags change nothing.

#include "platform/win/WinTypes.h"

namespace win {

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002));
inline const HKEY HKEY_USERS = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003));
inline const HKEY HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000005));

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// subKey is relative to key; nullptr or "" opens key itself again. A
// leading backslash is refused with ERROR_BAD_PATHNAME. ERROR_FILE_NOT_FOUND
// when the key does not exist.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired, PHKEY result);

// valueName nullptr or "" is the key's default value. With data nullptr only
// the size is reported; a too small buffer gives ERROR_MORE_DATA and the
// size needed. Strings include their terminating zero.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);

// The predefined root keys close successfully and stay usable.
LSTATUS RegCloseKey(HKEY key);

} // namespace win
