#pragma once

// A logical font as an object: its LOGFONTW is kept and reported back.
// Rendering text is not part of this object.

#include "platform/win/gdi/GdiObject.h"

namespace win {

class GdiFont : public GdiObject {
public:
    explicit GdiFont(const LOGFONTW& logFont) : GdiObject(GdiKind::gkFont), FLogFont(logFont) {}

    const LOGFONTW& LogFont() const { return FLogFont; }

private:
    LOGFONTW FLogFont;
};

} // namespace win
