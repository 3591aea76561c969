#pragma once

// A region handle's object.

#include "platform/win/gdi/GdiObject.h"
#include "platform/win/gdi/Region.h"

#include <mutex>

namespace win {

class GdiRegion : public GdiObject {
public:
    explicit GdiRegion(Region region) : GdiObject(GdiKind::gkRegion), FRegion(std::move(region)) {}

    Region Get() const {
        std::lock_guard lock(FLock);
        return FRegion;
    }
    void Set(Region region) {
        std::lock_guard lock(FLock);
        FRegion = std::move(region);
    }
    template <typename Fn>
    auto Update(Fn fn) {
        std::lock_guard lock(FLock);
        return fn(FRegion);
    }

private:
    mutable std::mutex FLock;
    Region FRegion;
};

} // namespace win
