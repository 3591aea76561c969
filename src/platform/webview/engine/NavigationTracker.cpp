#include "platform/webview/engine/NavigationTracker.h"

namespace webview {

void TNavigationTracker::Emit(TEngineEvent::TKind kind, TNavigationId id, const rtl::String& uri, bool flag,
                              TWebErrorStatus status, int httpStatusCode) {
    TEngineEvent e;
    e.Kind = kind;
    e.Navigation = id;
    e.Uri = uri;
    e.IsErrorPage = kind == TEngineEvent::eeContentLoading && flag;
    e.IsSuccess = kind == TEngineEvent::eeNavigationCompleted && flag;
    e.Status = status;
    e.HttpStatusCode = httpStatusCode;
    FSink(e);
}

TNavigationId TNavigationTracker::Current() const noexcept {
    return FActive ? FActive->Id : 0;
}

void TNavigationTracker::Supersede() {
    if (!Reporting())
        return;
    FActive->Completed = true;
    // A load that has begun in the engine still ends there; one that was only
    // asked for has nothing left to say.
    FSupersededPending = FActive->Started;
    Emit(TEngineEvent::eeNavigationCompleted, FActive->Id, {}, false, wesOperationCanceled);
}

TNavigationId TNavigationTracker::Request(const rtl::String& uri) {
    Supersede();
    if (FErrorPage != epNone) {
        // The error page being loaded is cut short by this navigation.
        FSupersededPending = FErrorPage == epLoading;
        FErrorPage = epNone;
    }
    FActive = TNavigation{++FLastId};
    FSource = uri;
    Emit(TEngineEvent::eeNavigationStarting, FActive->Id, uri);
    return FActive->Id;
}

void TNavigationTracker::Started(const rtl::String& uri) {
    if (FErrorPage == epExpected) {
        FErrorPage = epLoading;
        return;
    }
    FSupersededPending = false;
    FErrorPage = epNone;
    if (Reporting() && !FActive->Started) {
        FActive->Started = true; // the load the program asked for
        return;
    }
    // The page navigated on its own (a link, a script, a redirect by the
    // server after the first answer).
    Supersede();
    FSupersededPending = false;
    FActive = TNavigation{++FLastId};
    FActive->Started = true;
    FSource = uri;
    Emit(TEngineEvent::eeNavigationStarting, FActive->Id, uri);
}

void TNavigationTracker::Committed(int httpStatusCode) {
    if (FErrorPage != epNone || FSupersededPending || !Reporting() || FActive->Committed)
        return;
    FActive->Committed = true;
    FActive->HttpStatusCode = httpStatusCode;
    if (httpStatusCode >= 400 && !FActive->Failure)
        FActive->Failure = wesUnknown;
    Emit(TEngineEvent::eeContentLoading, FActive->Id, {}, false);
}

void TNavigationTracker::Failed(TWebErrorStatus status, bool showsErrorPage) {
    if (FErrorPage == epLoading) {
        // The error page itself did not load: nothing of a navigation.
        FErrorPage = epNone;
        FSupersededPending = true;
        return;
    }
    if (FSupersededPending || !Reporting() || FActive->Failure)
        return;
    FActive->Failure = status;
    if (showsErrorPage) {
        FErrorPage = epExpected;
        Emit(TEngineEvent::eeContentLoading, FActive->Id, {}, true);
    }
}

void TNavigationTracker::Finished() {
    if (FErrorPage == epLoading) {
        FErrorPage = epNone;
        return;
    }
    if (FSupersededPending) {
        FSupersededPending = false;
        return;
    }
    if (!Reporting() || !FActive->Started)
        return;
    FActive->Completed = true;
    const bool success = !FActive->Failure;
    Emit(TEngineEvent::eeNavigationCompleted, FActive->Id, {}, success,
         success ? wesUnknown : *FActive->Failure, FActive->HttpStatusCode);
}

} // namespace webview
