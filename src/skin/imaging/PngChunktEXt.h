#pragma once

// The text chunk: a keyword and a text, both UTF-8. The private keyword
// "RDPNG" carries the image's presentation properties (SmoothFilter,
// AlphaBlendValue, GrayMode) as name=value lines.

#include "skin/imaging/PngChunk.h"

namespace skin {

inline constexpr rtl::StringView RdPngKeyword = u"RDPNG";

class TChunktEXt : public TChunk {
    RTL_CLASS(TChunktEXt, TChunk)
public:
    using TChunk::TChunk;

    void Assign(TChunk* Source) override;
    bool LoadFromStream(rtl::TStream* Stream, const TChunkName& ChunkName, std::uint32_t Size) override;
    bool SaveToStream(rtl::TStream* Stream) override;

    [[nodiscard]] const rtl::String& Keyword() const noexcept { return fKeyword; }
    void SetKeyword(const rtl::String& Value) { fKeyword = Value; }
    [[nodiscard]] const rtl::String& Text() const noexcept { return fText; }
    void SetText(const rtl::String& Value) { fText = Value; }

    [[nodiscard]] bool IsRdPng() const;

protected:
    // Splits the data into keyword and text.
    void ParseData();
    // Sets the owner's presentation properties from the text's lines.
    void ApplyRdPng() const;
    // Rewrites the presentation lines (and the keyword) before saving.
    void UpdateRdPng();

    rtl::String fKeyword;
    rtl::String fText;
};

} // namespace skin
