#include "platform/webview/engine/EngineFactory.h"

#include <mutex>

namespace webview {

namespace {

std::mutex gLock;
TEngineFactory gFactory;

} // namespace

void SetEngineFactory(TEngineFactory factory) {
    const std::lock_guard lock(gLock);
    gFactory = std::move(factory);
}

bool HasEngineFactory() {
    const std::lock_guard lock(gLock);
    return static_cast<bool>(gFactory);
}

std::unique_ptr<TBrowserEngine> CreateBrowserEngine() {
    TEngineFactory factory;
    {
        const std::lock_guard lock(gLock);
        factory = gFactory;
    }
    return factory ? factory() : nullptr;
}

} // namespace webview
