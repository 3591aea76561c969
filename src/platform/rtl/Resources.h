#pragma once

// Resources embedded in the program at build time (lumora_embed_resources in
// cmake/Lumora.cmake): a process-wide registry of named byte blocks per
// module, looked up like the system's FindResource. Names and types are
// strings or 16-bit numbers; string names compare ignoring ASCII case.

#include "platform/rtl/String.h"

#include <cstddef>
#include <cstdint>

namespace rtl {

// A module handle ("HINST"), an opaque number. The program is HInstance, the
// same value the Windows-API layer's GetModuleHandleW(nullptr) returns; 0 also
// names the program.
using HINST = std::uintptr_t;
inline constexpr HINST HInstance = 0x00400000;

// A resource name or type, borrowed for the duration of a call: a string, or
// a number as MAKEINTRESOURCE makes one (a pointer value below 0x10000). A
// string "#123" names the number 123.
class TResourceId {
public:
    constexpr TResourceId(int number) noexcept : FNumber(number) {}
    TResourceId(const char16_t* name) noexcept;
    TResourceId(StringView name) noexcept;
    TResourceId(const String& name) noexcept : TResourceId(StringView(name)) {}

    [[nodiscard]] bool IsNumber() const noexcept { return FNumber >= 0; }
    [[nodiscard]] int Number() const noexcept { return FNumber; }
    [[nodiscard]] StringView Name() const noexcept { return FName; }
    // The name, or the number in decimal.
    [[nodiscard]] String ToString() const;

private:
    int FNumber = -1;
    StringView FName;
};

inline constexpr TResourceId RT_CURSOR{1};
inline constexpr TResourceId RT_BITMAP{2};
inline constexpr TResourceId RT_ICON{3};
inline constexpr TResourceId RT_STRING{6};
inline constexpr TResourceId RT_FONT{8};
inline constexpr TResourceId RT_RCDATA{10};
inline constexpr TResourceId RT_GROUP_CURSOR{12};
inline constexpr TResourceId RT_GROUP_ICON{14};
inline constexpr TResourceId RT_VERSION{16};
inline constexpr TResourceId RT_HTML{23};
inline constexpr TResourceId RT_MANIFEST{24};

struct TResourceInfo {
    HINST Module;
    const std::uint8_t* Data;
    std::size_t Size;
};

// Registers a block that lives as long as the process (static data). A
// second registration of the same module, type and name replaces the first.
void RegisterResource(HINST module, TResourceId name, TResourceId type, const void* data, std::size_t size);

// nullptr when the module has no such resource.
[[nodiscard]] const TResourceInfo* FindResource(HINST module, TResourceId name, TResourceId type);

} // namespace rtl
