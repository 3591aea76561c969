#pragma once

// The nine-slice option of image-bearing controls: the widths of the fixed
// borders of a picture (the centre and edges between them are stretched or
// tiled) and the stretch mode.

#include "platform/rtl/Event.h"
#include "platform/rtl/Persistent.h"
#include "skin/imaging/PngImageTypes.h"

#include <cstdint>

namespace skin {

class TDesignRect : public rtl::TPersistent {
    RTL_CLASS(TDesignRect, rtl::TPersistent)
public:
    // Passed as ARight or ABottom to SetValue: keep the pair, or mirror the first value.
    static constexpr std::int32_t KeepPair = -2000;
    static constexpr std::int32_t SameAsFirst = -1000;

    TDesignRect() = default;

    void Assign(rtl::TPersistent* Source) override;
    // Sets margins without calling Changed: see KeepPair and SameAsFirst.
    void SetValue(std::int32_t ALeft, std::int32_t ATop, std::int32_t ARight, std::int32_t ABottom);
    [[nodiscard]] bool Equals(const TDesignRect* CmpTo) const noexcept;
    // None empties this option without calling Changed; another option
    // receives the five values without a Changed call on it.
    void AssignTo(rtl::TPersistent* Dest) override;

    [[nodiscard]] std::int32_t Left() const noexcept { return FLeft; }
    [[nodiscard]] std::int32_t Top() const noexcept { return FTop; }
    [[nodiscard]] std::int32_t Right() const noexcept { return FRight; }
    [[nodiscard]] std::int32_t Bottom() const noexcept { return FBottom; }
    // Index 0 Left, 1 Top, 2 Right, 3 Bottom.
    [[nodiscard]] std::int32_t GetMargin(int Index) const noexcept;
    void SetMargin(int Index, std::int32_t Value);
    void SetLeft(std::int32_t Value) { SetMargin(0, Value); }
    void SetTop(std::int32_t Value) { SetMargin(1, Value); }
    void SetRight(std::int32_t Value) { SetMargin(2, Value); }
    void SetBottom(std::int32_t Value) { SetMargin(3, Value); }
    [[nodiscard]] TSuperStretchMode StretchMode() const noexcept { return FStretchMode; }
    void SetStretchMode(TSuperStretchMode Value);
    // All margins 0 and the default stretch mode.
    [[nodiscard]] bool Empty() const noexcept;
    // True empties the option; False asks the owner (through OnChange, with
    // ChangeEmpty True) to give it default margins.
    void SetEmpty(bool Value);
    [[nodiscard]] bool ChangeEmpty() const noexcept { return FChangeEmpty; }

    rtl::TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    void Clear() noexcept;

    std::int32_t FRight = 0;
    std::int32_t FBottom = 0;
    std::int32_t FTop = 0;
    std::int32_t FLeft = 0;
    TSuperStretchMode FStretchMode = sdmDefault;
    bool FChangeEmpty = false;
};

} // namespace skin
