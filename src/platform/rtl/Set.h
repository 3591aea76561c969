#pragma once

// A set over a small enumeration ("set of TFontStyle"), stored as a bit mask
// with bit n for the element of ordinal n, as the class library lays out sets
// of up to 64 elements. Property metadata reads and writes that mask as the
// set's ordinal value.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace rtl {

template <typename E>
class TSet {
    static_assert(std::is_enum_v<E>, "a set's elements are enumeration values");

public:
    using Element = E;

    constexpr TSet() noexcept = default;
    constexpr TSet(std::initializer_list<E> elements) noexcept {
        for (E e : elements)
            FBits |= Bit(e);
    }

    // Elements outside 0..63 are dropped: no enumeration of a set has more.
    [[nodiscard]] static constexpr TSet FromBits(std::uint64_t bits) noexcept {
        TSet result;
        result.FBits = bits;
        return result;
    }
    [[nodiscard]] constexpr std::uint64_t Bits() const noexcept { return FBits; }

    [[nodiscard]] constexpr bool Contains(E e) const noexcept { return (FBits & Bit(e)) != 0; }
    [[nodiscard]] constexpr bool Empty() const noexcept { return FBits == 0; }

    constexpr TSet& Include(E e) noexcept {
        FBits |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) noexcept {
        FBits &= ~Bit(e);
        return *this;
    }

    // Union, difference and intersection, as the class library's + - *.
    [[nodiscard]] friend constexpr TSet operator+(TSet a, TSet b) noexcept {
        return FromBits(a.FBits | b.FBits);
    }
    [[nodiscard]] friend constexpr TSet operator-(TSet a, TSet b) noexcept {
        return FromBits(a.FBits & ~b.FBits);
    }
    [[nodiscard]] friend constexpr TSet operator*(TSet a, TSet b) noexcept {
        return FromBits(a.FBits & b.FBits);
    }
    TSet& operator+=(TSet other) noexcept { return *this = *this + other; }
    TSet& operator-=(TSet other) noexcept { return *this = *this - other; }
    TSet& operator*=(TSet other) noexcept { return *this = *this * other; }

    // Subset test ("a <= b").
    [[nodiscard]] constexpr bool IsSubsetOf(TSet other) const noexcept { return (FBits & ~other.FBits) == 0; }

    friend constexpr bool operator==(const TSet&, const TSet&) noexcept = default;

private:
    static constexpr std::uint64_t Bit(E e) noexcept {
        auto n = static_cast<std::uint64_t>(e);
        return n < 64 ? std::uint64_t{1} << n : 0;
    }

    std::uint64_t FBits = 0;
};

template <typename T>
inline constexpr bool IsSetType = false;
template <typename E>
inline constexpr bool IsSetType<TSet<E>> = true;

} // namespace rtl
