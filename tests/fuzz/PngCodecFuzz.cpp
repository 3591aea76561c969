// libFuzzer target for the PNG pixel codec: load a file, convert the store to
// RGBA, encode it again and load that. Besides crashes, leaks and undefined
// behaviour it traps when the second decode differs from the first.

#include "platform/rtl/Exception.h"
#include "skin/imaging/PngQuickFile.h"

#include <cstddef>
#include <cstdint>

namespace {

// The input's length picks storage and encoder settings, so that the corpus
// covers them all without spending input bytes.
struct TFuzzSetup {
    skin::TPngStoreDepth Depth;
    skin::TPngSaveOptions Options;
};

const TFuzzSetup Setups[] = {
    {skin::psdDefault, {}},
    {skin::psd32Bit, {{skin::pfNone, skin::pfSub, skin::pfUp, skin::pfAverage, skin::pfPaeth}, 6, 100, 1}},
    {skin::psdDefault, {{skin::pfPaeth, skin::pfAverage}, 1, 65535, 0}},
    {skin::psd32Bit, {{skin::pfUp}, 0, 1000, 1}},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TFuzzSetup& setup = Setups[size % (sizeof Setups / sizeof Setups[0])];
    try {
        skin::TPngQuickFile first;
        if (!skin::PngDecodeSucceeded(first.Load(data, size, setup.Depth)))
            return 0;
        const std::vector<std::uint8_t> rgba = first.ToRgba();
        const std::vector<std::uint8_t> saved = first.Save(setup.Options);
        skin::TPngQuickFile second;
        if (saved.empty() || second.Load(saved.data(), saved.size(), setup.Depth) != skin::pdrOk ||
            second.ToRgba() != rgba)
            __builtin_trap();
    } catch (const rtl::Exception&) {
        // A refusal by exception is a clean failure.
    }
    return 0;
}
