#pragma once

// The strict debugging mode of the PNG codec. Normal operation is lenient:
// a chunk whose CRC does not match ends loading quietly with the chunks read
// so far, and damaged image data leaves a zeroed image. In the strict mode a
// CRC mismatch raises EPngInvalidCRC and a zlib error raises EPNGZLIBError,
// so a developer sees at once which picture of a skin is damaged.
//
// It is a process setting: set the environment variable LUMORA_PNG_STRICT
// to 1 before the program starts (read once, at the first PNG operation), or
// switch it with SetPngStrictChecks, which tests and tools use.

namespace skin {

[[nodiscard]] bool PngStrictChecks() noexcept;
void SetPngStrictChecks(bool strict) noexcept;

} // namespace skin
