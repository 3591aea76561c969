#pragma once

// The base of fonts, pens and brushes: a change notification and the lock
// of the canvas that owns the object, so that a change made on another
// thread does not interleave with the canvas's drawing.

#include "platform/rtl/Event.h"
#include "platform/rtl/Persistent.h"

#include <mutex>

namespace vcl {

class TGraphicsObject : public rtl::TPersistent {
    RTL_CLASS(TGraphicsObject, rtl::TPersistent)
public:
    rtl::TNotifyEvent OnChange;

    // The owner's lock (a canvas's); none means no locking.
    [[nodiscard]] std::recursive_mutex* OwnerLock() const noexcept { return FOwnerLock; }
    void SetOwnerLock(std::recursive_mutex* lock) noexcept { FOwnerLock = lock; }

    void Lock() const {
        if (FOwnerLock)
            FOwnerLock->lock();
    }
    void Unlock() const {
        if (FOwnerLock)
            FOwnerLock->unlock();
    }

protected:
    // Drops the handle (descendants) and calls OnChange.
    virtual void Changed();

private:
    std::recursive_mutex* FOwnerLock = nullptr;
};

// Holds a graphics object's owner lock for a scope.
class TGraphicsObjectLock {
public:
    explicit TGraphicsObjectLock(const TGraphicsObject& object) : FObject(object) { FObject.Lock(); }
    ~TGraphicsObjectLock() { FObject.Unlock(); }
    TGraphicsObjectLock(const TGraphicsObjectLock&) = delete;
    TGraphicsObjectLock& operator=(const TGraphicsObjectLock&) = delete;

private:
    const TGraphicsObject& FObject;
};

} // namespace vcl
