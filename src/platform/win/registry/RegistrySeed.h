#pragma once

// Filling and observing the registry stand-in from tests.

#include "platform/rtl/String.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <vector>

namespace win {

// Creates the key and its parents (path with "\" separators).
void RegSeedKey(HKEY root, rtl::StringView path);

// Creates the key if needed and sets a value; an empty name is the default value.
void RegSeedValue(HKEY root, rtl::StringView path, rtl::StringView valueName, DWORD type,
                  const std::vector<BYTE>& data);
void RegSeedStringValue(HKEY root, rtl::StringView path, rtl::StringView valueName, rtl::StringView value);

// Empties the store. Handles that are still open then report ERROR_KEY_DELETED.
void RegClearSeeds();

// How many times RegOpenKeyExW has been called in this process.
[[nodiscard]] std::uint64_t RegOpenCount();

} // namespace win
