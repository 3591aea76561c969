#pragma once

// The picture formats the picture container knows: extension, description
// and graphic class, in registration order. Lookups run from the last
// registration to the first, so a later registration of an extension wins;
// entries can be removed by position, by class or by extension.

#include "platform/vcl/Graphic.h"

#include <functional>
#include <mutex>
#include <vector>

namespace vcl {

struct TFileFormat {
    String Extension; // without the dot
    String Description;
    TGraphicClass GraphicClass = nullptr;
};

class TFileFormatsList {
public:
    // The list of the process, with the class library's own formats ("bmp"
    // for TBitmap, "ico" for TIcon) registered.
    [[nodiscard]] static TFileFormatsList& Instance();

    void Add(const String& extension, const String& description, TGraphicClass graphicClass);
    // Every entry of the class.
    void Remove(TGraphicClass graphicClass);
    // Entries for which the test is true.
    void RemoveIf(const std::function<bool(const TFileFormat&)>& test);

    // Searches from the last registration to the first; extensions compare
    // without regard to case; nullptr when none.
    [[nodiscard]] TGraphicClass FindExt(StringView extension) const;
    // The class name compares exactly.
    [[nodiscard]] TGraphicClass FindClassName(StringView className) const;

    [[nodiscard]] int Count() const;
    [[nodiscard]] TFileFormat Items(int index) const;

private:
    TFileFormatsList();

    mutable std::mutex FLock;
    std::vector<TFileFormat> FItems;
};

} // namespace vcl
