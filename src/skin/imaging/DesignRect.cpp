#include "skin/imaging/DesignRect.h"

#include "platform/rtl/Published.h"

namespace skin {

RTL_IMPLEMENT_CLASS(TDesignRect)

RTL_PUBLISHED(TDesignRect) {
    Property(u"StretchMode", &TDesignRect::StretchMode, &TDesignRect::SetStretchMode).Default(sdmDefault);
    Property(u"Empty", &TDesignRect::Empty, &TDesignRect::SetEmpty).Default(true).Stored(false);
    Property(u"Left", Index(0), &TDesignRect::GetMargin, &TDesignRect::SetMargin).Default(0);
    Property(u"Top", Index(1), &TDesignRect::GetMargin, &TDesignRect::SetMargin).Default(0);
    Property(u"Right", Index(2), &TDesignRect::GetMargin, &TDesignRect::SetMargin).Default(0);
    Property(u"Bottom", Index(3), &TDesignRect::GetMargin, &TDesignRect::SetMargin).Default(0);
}

std::int32_t TDesignRect::GetMargin(int Index) const noexcept {
    switch (Index) {
    case 0:
        return FLeft;
    case 1:
        return FTop;
    case 2:
        return FRight;
    default:
        return FBottom;
    }
}

void TDesignRect::SetMargin(int Index, std::int32_t Value) {
    std::int32_t* field = Index == 0 ? &FLeft : Index == 1 ? &FTop : Index == 2 ? &FRight : &FBottom;
    if (*field == Value)
        return;
    *field = Value;
    Changed();
}

void TDesignRect::SetStretchMode(TSuperStretchMode Value) {
    if (Value == FStretchMode)
        return;
    FStretchMode = Value;
    Changed();
}

bool TDesignRect::Empty() const noexcept {
    return FLeft == 0 && FTop == 0 && FRight == 0 && FBottom == 0 && FStretchMode == sdmDefault;
}

void TDesignRect::Clear() noexcept {
    FLeft = FTop = FRight = FBottom = 0;
    FStretchMode = sdmDefault;
}

void TDesignRect::SetEmpty(bool Value) {
    if (Value) {
        Clear();
        Changed();
        return;
    }
    FChangeEmpty = true;
    try {
        Changed();
    } catch (...) {
        FChangeEmpty = false;
        throw;
    }
    FChangeEmpty = false;
}

void TDesignRect::SetValue(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight, std::int32_t ABottom) {
    if (ARight != KeepPair) {
        FLeft = ALeft;
        FRight = ARight == SameAsFirst ? ALeft : ARight;
    }
    if (ABottom != KeepPair) {
        FTop = ATop;
        FBottom = ABottom == SameAsFirst ? ATop : ABottom;
    }
}

bool TDesignRect::Equals(const TDesignRect* CmpTo) const noexcept {
    if (!CmpTo)
        return false;
    return CmpTo == this || (FLeft == CmpTo->FLeft && FTop == CmpTo->FTop && FRight == CmpTo->FRight &&
                             FBottom == CmpTo->FBottom && FStretchMode == CmpTo->FStretchMode);
}

void TDesignRect::Assign(rtl::TPersistent* Source) {
    if (!Source) {
        SetEmpty(true);
        return;
    }
    auto* other = rtl::ObjectCast<TDesignRect>(Source);
    if (!other) {
        inherited::Assign(Source);
        return;
    }
    if (Equals(other))
        return;
    FLeft = other->FLeft;
    FTop = other->FTop;
    FRight = other->FRight;
    FBottom = other->FBottom;
    FStretchMode = other->FStretchMode;
    Changed();
}

void TDesignRect::AssignTo(rtl::TPersistent* Dest) {
    if (!Dest) {
        Clear();
        return;
    }
    auto* other = rtl::ObjectCast<TDesignRect>(Dest);
    if (!other) {
        inherited::AssignTo(Dest);
        return;
    }
    other->FLeft = FLeft;
    other->FTop = FTop;
    other->FRight = FRight;
    other->FBottom = FBottom;
    other->FStretchMode = FStretchMode;
}

void TDesignRect::Changed() {
    if (OnChange)
        OnChange(this);
}

} // namespace skin
