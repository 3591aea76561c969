#pragma once

// Helpers shared by the exported drawing functions: handle lookup with the
// last-error code GDI sets, and locking of one or two DCs for a call.

#include "platform/win/gdi/DeviceContext.h"
#include "platform/win/gdi/GdiExports.h"
#include "platform/win/gdi/GdiHandleTable.h"
#include "platform/win/kernel/LastError.h"

#include <algorithm>
#include <mutex>

namespace win::gdi_p {

template <typename T>
T Fail(DWORD error, T result) {
    SetLastError(error);
    return result;
}

template <typename T>
std::shared_ptr<T> Lookup(HGDIOBJ handle, GdiKind kind) {
    auto object = GdiHandleTable::Instance().LookupAs<T>(handle, kind);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

// Registers a new object; nullptr (with the last error set) when the object
// could not be made or the table is full.
template <typename H>
H Register(std::shared_ptr<GdiObject> object) {
    if (!object) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY, H{});
    }
    HGDIOBJ handle = GdiHandleTable::Instance().Insert(std::move(object));
    if (!handle) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY, H{});
    }
    return static_cast<H>(handle);
}

// A DC looked up by handle and locked for the call.
class DcLock {
public:
    explicit DcLock(HDC handle) : FDc(Lookup<DeviceContext>(handle, GdiKind::gkDC)) {
        if (FDc) {
            FLock = std::unique_lock(FDc->Mutex());
        }
    }
    explicit operator bool() const { return FDc != nullptr; }
    DeviceContext* operator->() const { return FDc.get(); }
    DeviceContext& operator*() const { return *FDc; }

private:
    std::shared_ptr<DeviceContext> FDc;
    std::unique_lock<std::mutex> FLock;
};

// Two DCs (possibly the same one) locked together without deadlock.
class DcPairLock {
public:
    DcPairLock(HDC first, HDC second)
        : FFirst(Lookup<DeviceContext>(first, GdiKind::gkDC)),
          FSecond(Lookup<DeviceContext>(second, GdiKind::gkDC)) {
        if (!FFirst || !FSecond) {
            return;
        }
        if (FFirst == FSecond) {
            FLockA = std::unique_lock(FFirst->Mutex());
        } else {
            FLockA = std::unique_lock(FFirst->Mutex(), std::defer_lock);
            FLockB = std::unique_lock(FSecond->Mutex(), std::defer_lock);
            std::lock(FLockA, FLockB);
        }
    }
    explicit operator bool() const { return FFirst && FSecond; }
    DeviceContext& First() const { return *FFirst; }
    DeviceContext& Second() const { return *FSecond; }

private:
    std::shared_ptr<DeviceContext> FFirst;
    std::shared_ptr<DeviceContext> FSecond;
    std::unique_lock<std::mutex> FLockA;
    std::unique_lock<std::mutex> FLockB;
};

// A destination DC and an optional source DC (null when the raster
// operation does not use one).
class BltLock {
public:
    BltLock(HDC dest, HDC src, bool needSource)
        : FPair(dest, needSource ? src : dest), FNeedSource(needSource) {}
    explicit operator bool() const { return static_cast<bool>(FPair); }
    DeviceContext& Dest() const { return FPair.First(); }
    DeviceContext* Source() const { return FNeedSource ? &FPair.Second() : nullptr; }

private:
    DcPairLock FPair;
    bool FNeedSource;
};

// Runs `fn(dc)` with the DC locked and returns its result; `failure`, with
// the last error set to ERROR_INVALID_HANDLE, when the handle is not a live DC.
template <typename T, typename Fn>
T OnDc(HDC dcHandle, T failure, Fn fn) {
    DcLock dc(dcHandle);
    return dc ? fn(*dc) : failure;
}

// The same for the user32 calls that take a rectangle: `fn(dc, rect)` gets
// it in surface coordinates; no rectangle fails with ERROR_INVALID_PARAMETER.
template <typename Fn>
BOOL OnDcRect(HDC dcHandle, const RECT* rect, Fn fn) {
    if (!rect) {
        return Fail(ERROR_INVALID_PARAMETER, BOOL{0});
    }
    return OnDc(dcHandle, BOOL{0}, [&](DeviceContext& dc) { return fn(dc, dc.LogicalToSurface(*rect)); });
}

inline LONG ClampCoord(LONGLONG v) {
    return static_cast<LONG>(std::clamp<LONGLONG>(v, -COORD_CLAMP, COORD_CLAMP));
}

// A rectangle with its coordinates as given (no normalisation), clamped.
inline RECT MakeRect(LONGLONG left, LONGLONG top, LONGLONG right, LONGLONG bottom) {
    auto clamp = [](LONGLONG v) {
        return static_cast<LONG>(std::clamp<LONGLONG>(v, -COORD_CLAMP, COORD_CLAMP));
    };
    return RECT{clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

} // namespace win::gdi_p
