#include "platform/rtl/Object.h"

#include "platform/rtl/AsciiName_p.h"
#include "platform/rtl/Exception.h"

#include <algorithm>
#include <shared_mutex>
#include <vector>

namespace rtl {

bool TClassInfo::InheritsFrom(TClass ancestor) const noexcept {
    for (TClass c = this; c; c = c->Parent) {
        if (c == ancestor)
            return true;
    }
    return false;
}

String TClassInfo::ClassName() const {
    return AsciiToString(Name);
}

TObject* TClassInfo::Create(TComponent* owner) const {
    if (!Factory)
        throw EAbstractError(u"Abstract class " + ClassName() + u" cannot be created");
    return Factory(owner);
}

TObject* TClassInfo::CreateItem(TCollection* collection) const {
    if (!Factory || !ItemFactory)
        throw EAbstractError(u"Abstract class " + ClassName() + u" cannot be created");
    return ItemFactory(collection);
}

TClass TObject::StaticClass() noexcept {
    static const TClassInfo info{"TObject", nullptr, &DefaultFactory<TObject>, nullptr};
    return &info;
}

TObject::~TObject() {
    delete FMonitor.load(std::memory_order_acquire);
}

std::recursive_mutex& TObject::Monitor() const {
    auto* monitor = FMonitor.load(std::memory_order_acquire);
    if (monitor)
        return *monitor;
    auto* fresh = new std::recursive_mutex;
    if (FMonitor.compare_exchange_strong(monitor, fresh, std::memory_order_acq_rel))
        return *fresh;
    delete fresh; // another thread won; `monitor` now holds its lock
    return *monitor;
}

void TObject::Lock() const {
    Monitor().lock();
}
void TObject::UnLock() const {
    Monitor().unlock();
}

namespace {

using detail::SameAsciiName;

struct ClassRegistry {
    std::shared_mutex Lock;
    std::vector<TClass> Classes;
};

ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

} // namespace

void RegisterClass(TClass cls) {
    auto& reg = Registry();
    std::unique_lock guard(reg.Lock);
    if (std::find(reg.Classes.begin(), reg.Classes.end(), cls) == reg.Classes.end())
        reg.Classes.push_back(cls);
}

void UnRegisterClass(TClass cls) {
    auto& reg = Registry();
    std::unique_lock guard(reg.Lock);
    std::erase(reg.Classes, cls);
}

TClass GetClass(StringView name) {
    auto& reg = Registry();
    std::shared_lock guard(reg.Lock);
    for (TClass cls : reg.Classes) {
        if (SameAsciiName(cls->Name, name))
            return cls;
    }
    return nullptr;
}

TClass FindClass(StringView name) {
    if (TClass cls = GetClass(name))
        return cls;
    throw EClassNotFound(u"Class " + String(name) + u" not found");
}

} // namespace rtl
