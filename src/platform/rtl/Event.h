#pragma once

// Events are method references ("procedure of object"): an object and one of
// its member functions. They compare equal when both parts match, can be
// cleared, and name a published method, so form streams can bind them by name.

#include "platform/rtl/Object.h"

#include <utility>

namespace rtl {

template <typename Signature>
class TEvent;

template <typename R, typename... Args>
class TEvent<R(Args...)> {
public:
    using Code = R (TObject::*)(Args...);
    using SignatureType = R(Args...);

    TEvent() = default;

    // Member functions of descendants are stored as members of TObject; this
    // is a well-defined static_cast while TObject is a non-virtual base.
    template <typename T>
    TEvent(T* data, R (T::*code)(Args...)) : FData(data), FCode(static_cast<Code>(code)) {}

    TEvent(TObject* data, Code code) : FData(data), FCode(code) {}

    [[nodiscard]] bool Assigned() const noexcept { return FData && FCode; }
    explicit operator bool() const noexcept { return Assigned(); }

    R operator()(Args... args) const { return (FData->*FCode)(std::forward<Args>(args)...); }

    void Clear() noexcept {
        FData = nullptr;
        FCode = nullptr;
    }

    [[nodiscard]] TObject* Data() const noexcept { return FData; }
    [[nodiscard]] Code CodeAddress() const noexcept { return FCode; }

    bool operator==(const TEvent& other) const noexcept {
        return FData == other.FData && FCode == other.FCode;
    }

private:
    TObject* FData = nullptr;
    Code FCode = nullptr;
};

using TNotifyEvent = TEvent<void(TObject* sender)>;

} // namespace rtl
