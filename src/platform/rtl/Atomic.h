#pragma once

// Interlocked operations on plain integer variables, as the class library's
// AtomicIncrement family: sequentially consistent, usable on fields that
// other code also reads directly.

#include <atomic>
#include <type_traits>

namespace rtl {

// Adds `increment` and returns the new value.
template <typename T>
requires std::is_integral_v<T> T AtomicIncrement(T& target, T increment = 1)
noexcept {
    return std::atomic_ref<T>(target).fetch_add(increment) + increment;
}

// Subtracts `decrement` and returns the new value.
template <typename T>
requires std::is_integral_v<T> T AtomicDecrement(T& target, T decrement = 1)
noexcept {
    return std::atomic_ref<T>(target).fetch_sub(decrement) - decrement;
}

// Stores `value` and returns the previous value.
template <typename T>
requires std::is_integral_v<T> || std::is_pointer_v<T> T AtomicExchange(T& target, T value)
noexcept {
    return std::atomic_ref<T>(target).exchange(value);
}

// Stores `value` when the target equals `comparand`; returns the previous value.
template <typename T>
requires std::is_integral_v<T> || std::is_pointer_v<T> T AtomicCmpExchange(T& target, T value, T comparand)
noexcept {
    std::atomic_ref<T>(target).compare_exchange_strong(comparand, value);
    return comparand;
}

} // namespace rtl
