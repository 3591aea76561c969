#pragma once

// Turns an engine's load signals for its main frame into the browser
// component's navigation events: each navigation is reported as starting,
// its content loading (flagged when the content is an error page) and
// completed with success or failure. An engine that shows an error page
// after a failure loads that page like any other; those loads are not
// navigations and must never read as success.

#include "platform/webview/engine/EngineTypes.h"

#include <functional>
#include <optional>

namespace webview {

class TNavigationTracker {
public:
    using TSink = std::function<void(const TEngineEvent&)>;
    explicit TNavigationTracker(TSink sink) : FSink(std::move(sink)) {}

    // The program asked for a navigation; one still running is superseded
    // and reported as canceled. Returns the new navigation's id.
    TNavigationId Request(const rtl::String& uri);

    // Load signals of the main frame, in the order the engine gives them.
    void Started(const rtl::String& uri);
    // httpStatusCode: the answer's status, 0 when the content came another
    // way. An answer of 400 or more is content, but not success.
    void Committed(int httpStatusCode = 0);
    // showsErrorPage: the engine now loads an error page in its place.
    void Failed(TWebErrorStatus status, bool showsErrorPage);
    void Finished();

    // Whether a load starting now would be a navigation of the page's own
    // (not the one the program asked for, nor an error page).
    [[nodiscard]] bool StartWouldBeNew() const noexcept {
        return FErrorPage != epExpected && !(Reporting() && !FActive->Started);
    }

    // The navigation being reported on (0 before the first).
    [[nodiscard]] TNavigationId Current() const noexcept;
    [[nodiscard]] const rtl::String& Source() const noexcept { return FSource; }

private:
    struct TNavigation {
        TNavigationId Id = 0;
        bool Started = false;
        bool Committed = false;
        bool Completed = false;
        int HttpStatusCode = 0;
        std::optional<TWebErrorStatus> Failure;
    };
    enum TErrorPage { epNone, epExpected, epLoading };

    void Emit(TEngineEvent::TKind kind, TNavigationId id, const rtl::String& uri = {}, bool flag = false,
              TWebErrorStatus status = wesUnknown, int httpStatusCode = 0);
    void Supersede();
    [[nodiscard]] bool Reporting() const noexcept { return FActive && !FActive->Completed; }

    TSink FSink;
    TNavigationId FLastId = 0;
    std::optional<TNavigation> FActive;
    // A superseded load's own failure and finish may still arrive.
    bool FSupersededPending = false;
    TErrorPage FErrorPage = epNone;
    rtl::String FSource;
};

} // namespace webview
