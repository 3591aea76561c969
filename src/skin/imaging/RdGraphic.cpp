#include "skin/imaging/RdGraphic.h"

#include "skin/imaging/PointerQuick.h"

namespace skin {

RTL_IMPLEMENT_ABSTRACT_CLASS(TRdGraphic)

TRdGraphic::~TRdGraphic() {
    TPointerQuick* list = FRdgList.exchange(nullptr);
    if (!list)
        return;
    Lock();
    for (int i = 0; i < list->Count(); ++i)
        static_cast<TRdGraphic*>(list->Items(i))->DropLinkTo(this);
    list->Clear();
    UnLock();
    delete list;
}

TPointerQuick* TRdGraphic::RdgList() {
    TPointerQuick* list = FRdgList.load(std::memory_order_acquire);
    if (list)
        return list;
    auto* created = new TPointerQuick;
    if (FRdgList.compare_exchange_strong(list, created, std::memory_order_acq_rel))
        return created;
    delete created; // another thread won
    return list;
}

void TRdGraphic::LinkImage(TRdGraphic* Image) {
    if (!Image)
        return;
    TPointerQuick* list = RdgList();
    Lock();
    if (list->IndexOf(Image) < 0)
        list->Add(Image);
    UnLock();
}

void TRdGraphic::UnlinkImage(TRdGraphic* Image) {
    TPointerQuick* list = FRdgList.load(std::memory_order_acquire);
    if (!list || !Image)
        return;
    Lock();
    list->Remove(Image);
    UnLock();
}

int TRdGraphic::LinkedImageCount() const {
    TPointerQuick* list = FRdgList.load(std::memory_order_acquire);
    if (!list)
        return 0;
    Lock();
    const int count = list->Count();
    UnLock();
    return count;
}

void TRdGraphic::DropLinkTo(TRdGraphic*) {}

bool TRdGraphic::AssignToPng(TPngImage*) {
    return false;
}

void TRdGraphic::NotifyChanged(std::intptr_t ModifiedFlag, rtl::TObject* Sender) {
    if (ModifiedFlag == nmClear)
        SetModified(false);
    else if (ModifiedFlag != nmKeep && ModifiedFlag != nmKeepToo)
        SetModifiedFlag(*reinterpret_cast<const bool*>(ModifiedFlag));
    NotifyLinkedImages(Sender ? Sender : this);
    if (OnChange)
        OnChange(this);
}

void TRdGraphic::NotifyLinkedImages(rtl::TObject* Sender) {
    TPointerQuick* list = FRdgList.load(std::memory_order_acquire);
    if (!list)
        return;
    Lock();
    try {
        for (int i = 0; i < list->Count(); ++i)
            static_cast<TRdGraphic*>(list->Items(i))->NotifyChanged(nmKeep, Sender);
    } catch (...) {
        UnLock();
        throw;
    }
    UnLock();
}

void TRdGraphic::Changed(rtl::TObject* Sender) {
    NotifyLinkedImages(Sender);
    inherited::Changed(Sender);
}

} // namespace skin
