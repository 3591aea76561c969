#include "skin/imaging/PngChunktEXt.h"

#include "platform/rtl/StringUtils.h"
#include "skin/imaging/PngImage.h"
#include "skin/imaging/PngList.h"
#include "skin/imaging/StringValueList.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace skin {

RTL_IMPLEMENT_CLASS(TChunktEXt)

namespace {

constexpr rtl::StringView SmoothFilterName = u"SmoothFilter";
constexpr rtl::StringView AlphaBlendValueName = u"AlphaBlendValue";
constexpr rtl::StringView GrayModeName = u"GrayMode";

// The line's value as an integer, or false when there is none.
bool ReadInt(const TStringValueList& lines, rtl::StringView name, int& value) {
    const int index = lines.IndexOfName(rtl::String(name));
    return index >= 0 && rtl::TryStrToInt(lines.ValueFromIndex(index), value);
}

void WriteLine(TStringValueList& lines, rtl::StringView name, bool present, int value) {
    const int index = lines.IndexOfName(rtl::String(name));
    if (index >= 0)
        lines.Delete(index);
    if (present)
        lines.Add(rtl::String(name) + u"=" + rtl::IntToStr(value));
}

} // namespace

void TChunktEXt::Assign(TChunk* Source) {
    auto* source = rtl::ObjectCast<TChunktEXt>(Source);
    if (!source)
        return;
    TChunk::Assign(Source);
    fKeyword = source->fKeyword;
    fText = source->fText;
}

bool TChunktEXt::IsRdPng() const {
    return rtl::SameText(fKeyword, RdPngKeyword);
}

void TChunktEXt::ParseData() {
    fKeyword.clear();
    fText.clear();
    if (fDataSize <= 2)
        return;
    const char* data = reinterpret_cast<const char*>(fData.data());
    const char* zero = static_cast<const char*>(std::memchr(data, 0, fDataSize));
    const std::size_t keywordLength = zero ? static_cast<std::size_t>(zero - data) : fDataSize;
    fKeyword = rtl::Utf8ToString(std::string_view(data, keywordLength));
    if (keywordLength + 1 < fDataSize)
        fText = rtl::Utf8ToString(std::string_view(data + keywordLength + 1, fDataSize - keywordLength - 1));
}

bool TChunktEXt::LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) {
    if (!TChunk::LoadFromStream(Stream, ChunkName, Size))
        return false;
    ParseData();
    if (IsRdPng())
        ApplyRdPng();
    return true;
}

void TChunktEXt::ApplyRdPng() const {
    if (!fOwner)
        return;
    TStringValueList lines;
    lines.SetText(fText);
    int value = 0;
    if (ReadInt(lines, SmoothFilterName, value))
        fOwner->FSmoothFilter = value < 0 || value > 2 ? psfDefault : static_cast<TPngSmoothFilter>(value);
    if (ReadInt(lines, AlphaBlendValueName, value))
        fOwner->FAlphaBlendValue = static_cast<std::uint8_t>(value);
    if (ReadInt(lines, GrayModeName, value))
        fOwner->FGrayMode = value != 0;
}

void TChunktEXt::UpdateRdPng() {
    // Text under any other keyword is the user's and is written as it is.
    if (!fOwner || !IsRdPng())
        return;
    const bool smooth = fOwner->SmoothFilter() != psfDefault;
    const bool alpha = fOwner->AlphaBlendValue() != 255;
    const bool gray = fOwner->GrayMode();
    TStringValueList lines;
    lines.SetText(fText);
    WriteLine(lines, SmoothFilterName, smooth, fOwner->SmoothFilter());
    WriteLine(lines, AlphaBlendValueName, alpha, fOwner->AlphaBlendValue());
    WriteLine(lines, GrayModeName, gray, 1);
    fKeyword = rtl::String(RdPngKeyword);
    fText = lines.Text();
}

bool TChunktEXt::SaveToStream(rtl::TStream* Stream) {
    UpdateRdPng();
    const std::string keyword = rtl::StringToUtf8(fKeyword);
    const std::string text = rtl::StringToUtf8(fText);
    ResizeData(static_cast<std::uint32_t>(keyword.size() + 1 + text.size()));
    std::memcpy(fData.data(), keyword.data(), keyword.size());
    fData[keyword.size()] = 0;
    std::memcpy(fData.data() + keyword.size() + 1, text.data(), text.size());
    return SaveData(Stream);
}

} // namespace skin
