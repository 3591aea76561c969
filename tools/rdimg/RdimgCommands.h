#pragma once

// The four commands of rdimg. Each raises TRdimgError for what goes wrong;
// stdout carries only the output of `info`.

#include "RdimgOptions.h"

#include <iosfwd>

namespace rdimg {

void RunInfo(const TRdimgOptions& options, std::ostream& out);
void RunDecode(const TRdimgOptions& options);
void RunEncode(const TRdimgOptions& options);
void RunCopy(const TRdimgOptions& options);

} // namespace rdimg
