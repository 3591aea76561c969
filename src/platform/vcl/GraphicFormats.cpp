#include "platform/vcl/GraphicFormats.h"

#include "platform/rtl/StringUtils.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Icon.h"

#include <algorithm>

namespace vcl {

TFileFormatsList::TFileFormatsList() {
    FItems.push_back({u"bmp", u"Bitmaps", TBitmap::StaticClass()});
    FItems.push_back({u"ico", u"Icons", TIcon::StaticClass()});
}

TFileFormatsList& TFileFormatsList::Instance() {
    static TFileFormatsList list;
    return list;
}

void TFileFormatsList::Add(const String& extension, const String& description, TGraphicClass graphicClass) {
    std::lock_guard lock(FLock);
    FItems.push_back({rtl::LowerCase(extension), description, graphicClass});
}

void TFileFormatsList::Remove(TGraphicClass graphicClass) {
    RemoveIf([graphicClass](const TFileFormat& item) { return item.GraphicClass == graphicClass; });
}

void TFileFormatsList::RemoveIf(const std::function<bool(const TFileFormat&)>& test) {
    std::lock_guard lock(FLock);
    std::erase_if(FItems, test);
}

TGraphicClass TFileFormatsList::FindExt(StringView extension) const {
    std::lock_guard lock(FLock);
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if (rtl::SameText(it->Extension, extension))
            return it->GraphicClass;
    return nullptr;
}

TGraphicClass TFileFormatsList::FindClassName(StringView className) const {
    std::lock_guard lock(FLock);
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if (it->GraphicClass && it->GraphicClass->ClassName() == className)
            return it->GraphicClass;
    return nullptr;
}

int TFileFormatsList::Count() const {
    std::lock_guard lock(FLock);
    return static_cast<int>(FItems.size());
}

TFileFormat TFileFormatsList::Items(int index) const {
    std::lock_guard lock(FLock);
    if (index < 0 || index >= static_cast<int>(FItems.size()))
        throw rtl::EListError(u"List index out of bounds (" + rtl::IntToStr(index) + u")");
    return FItems[static_cast<std::size_t>(index)];
}

} // namespace vcl
