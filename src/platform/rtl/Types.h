#pragma once

// Small value types shared by the runtime library's containers.

namespace rtl {

// How a sorted list treats an entry equal to one it already holds.
enum TDuplicates { dupIgnore, dupAccept, dupError };

} // namespace rtl
