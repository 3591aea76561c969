#include "platform/webview/engine/NavigationTracker.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace webview {
namespace {

// A load signal as an engine gives it.
struct TSignal {
    enum TKind { Request, Started, Committed, Failed, Finished } Kind;
    const char* Uri = "";
    int Value = 0; // Committed: HTTP status; Failed: error status
    bool ShowsErrorPage = false;
};

TSignal Request(const char* uri) {
    return {TSignal::Request, uri};
}
TSignal Started(const char* uri) {
    return {TSignal::Started, uri};
}
TSignal Committed(int http = 200) {
    return {TSignal::Committed, "", http};
}
TSignal Failed(TWebErrorStatus status, bool errorPage) {
    return {TSignal::Failed, "", status, errorPage};
}
TSignal Finished() {
    return {TSignal::Finished};
}

std::string Text(const TEngineEvent& e) {
    const std::string id = std::to_string(e.Navigation);
    switch (e.Kind) {
    case TEngineEvent::eeNavigationStarting:
        return "start " + id + " " + rtl::StringToUtf8(e.Uri);
    case TEngineEvent::eeContentLoading:
        return "content " + id + (e.IsErrorPage ? " error-page" : " page");
    case TEngineEvent::eeNavigationCompleted:
        return "done " + id + (e.IsSuccess ? " ok" : " failed") +
               " status=" + std::to_string(static_cast<int>(e.Status)) +
               " http=" + std::to_string(e.HttpStatusCode);
    case TEngineEvent::eeCreated:
        break;
    }
    return "created";
}

std::vector<std::string> RunSignals(const std::vector<TSignal>& signals) {
    std::vector<std::string> events;
    TNavigationTracker tracker([&](const TEngineEvent& e) { events.push_back(Text(e)); });
    for (const TSignal& s : signals) {
        switch (s.Kind) {
        case TSignal::Request:
            tracker.Request(rtl::Utf8ToString(s.Uri));
            break;
        case TSignal::Started:
            tracker.Started(rtl::Utf8ToString(s.Uri));
            break;
        case TSignal::Committed:
            tracker.Committed(s.Value);
            break;
        case TSignal::Failed:
            tracker.Failed(static_cast<TWebErrorStatus>(s.Value), s.ShowsErrorPage);
            break;
        case TSignal::Finished:
            tracker.Finished();
            break;
        }
    }
    return events;
}

struct TCase {
    const char* Name;
    std::vector<TSignal> Signals;
    std::vector<std::string> Events;
};

// The signal orders are those WebKitGTK gives (load-failed, then FINISHED,
// then the error page's own STARTED, COMMITTED, FINISHED; a superseded
// load's failure and FINISHED before the new STARTED).
const TCase kCases[] = {
    {"a page that loads",
     {Request("http://a/"), Started("http://a/"), Committed(200), Finished()},
     {"start 1 http://a/", "content 1 page", "done 1 ok status=0 http=200"}},
    {"a failure shows an error page whose own loading is no navigation",
     {Request("http://a/"), Started("http://a/"), Failed(wesCannotConnect, true), Finished(),
      Started("http://a/"), Committed(0), Finished()},
     {"start 1 http://a/", "content 1 error-page", "done 1 failed status=12 http=0"}},
    {"a newer request cancels a running load and its late signals are ignored",
     {Request("http://a/"), Started("http://a/"), Request("http://b/"), Failed(wesOperationCanceled, false),
      Finished(), Started("http://b/"), Committed(200), Finished()},
     {"start 1 http://a/", "done 1 failed status=14 http=0", "start 2 http://b/", "content 2 page",
      "done 2 ok status=0 http=200"}},
    {"a request before the engine began the last one cancels it without waiting for its signals",
     {Request("http://a/"), Request("http://b/"), Started("http://b/"), Committed(200), Finished()},
     {"start 1 http://a/", "done 1 failed status=14 http=0", "start 2 http://b/", "content 2 page",
      "done 2 ok status=0 http=200"}},
    {"the page navigating by itself is a navigation of its own",
     {Request("http://a/"), Started("http://a/"), Committed(200), Finished(), Started("http://a/next"),
      Committed(200), Finished()},
     {"start 1 http://a/", "content 1 page", "done 1 ok status=0 http=200", "start 2 http://a/next",
      "content 2 page", "done 2 ok status=0 http=200"}},
    {"an HTTP error answer is content, but no success",
     {Request("http://a/"), Started("http://a/"), Committed(404), Finished()},
     {"start 1 http://a/", "content 1 page", "done 1 failed status=0 http=404"}},
    {"trying again after the error page has shown",
     {Request("http://a/"), Started("http://a/"), Failed(wesCannotConnect, true), Finished(),
      Started("http://a/"), Committed(0), Finished(), Request("http://a/"), Started("http://a/"),
      Committed(200), Finished()},
     {"start 1 http://a/", "content 1 error-page", "done 1 failed status=12 http=0", "start 2 http://a/",
      "content 2 page", "done 2 ok status=0 http=200"}},
    {"trying again while the error page is still loading",
     {Request("http://a/"), Started("http://a/"), Failed(wesCannotConnect, true), Finished(),
      Started("http://a/"), Request("http://a/"), Failed(wesOperationCanceled, false), Finished(),
      Started("http://a/"), Committed(200), Finished()},
     {"start 1 http://a/", "content 1 error-page", "done 1 failed status=12 http=0", "start 2 http://a/",
      "content 2 page", "done 2 ok status=0 http=200"}},
    {"a load stopped on purpose ends without content",
     {Request("http://a/"), Started("http://a/"), Failed(wesOperationCanceled, false), Finished()},
     {"start 1 http://a/", "done 1 failed status=14 http=0"}},
    {"a load the network never answers stays open",
     {Request("http://a/"), Started("http://a/")},
     {"start 1 http://a/"}},
    {"a failure after the content began shows the error page as new content",
     {Request("http://a/"), Started("http://a/"), Committed(200), Failed(wesConnectionAborted, true),
      Finished(), Started("http://a/"), Committed(0), Finished()},
     {"start 1 http://a/", "content 1 page", "content 1 error-page", "done 1 failed status=9 http=200"}},
};

TEST(NavigationTracker, TurnsLoadSignalsIntoNavigationEvents) {
    for (const TCase& c : kCases)
        EXPECT_EQ(RunSignals(c.Signals), c.Events) << c.Name;
}

TEST(NavigationTracker, KeepsTheSourceOfTheCurrentNavigation) {
    std::vector<TEngineEvent> events;
    TNavigationTracker tracker([&](const TEngineEvent& e) { events.push_back(e); });
    EXPECT_EQ(tracker.Current(), 0u);
    tracker.Request(u"http://a/");
    tracker.Started(u"http://a/");
    tracker.Finished();
    tracker.Started(u"http://a/moved");
    EXPECT_EQ(tracker.Source(), u"http://a/moved");
    EXPECT_EQ(tracker.Current(), 2u);
}

// An engine learns the address of a navigation the page begins later than
// its start, and holds the start back; only those starts may be held.
TEST(NavigationTracker, TellsWhetherALoadStartingNowIsTheDocumentsOwnNavigation) {
    TNavigationTracker tracker([](const TEngineEvent&) {});
    EXPECT_TRUE(tracker.StartWouldBeNew()) << "nothing asked for yet";
    (void)tracker.Request(u"https://a.example/");
    EXPECT_FALSE(tracker.StartWouldBeNew()) << "the load the program asked for";
    tracker.Started(u"https://a.example/");
    EXPECT_TRUE(tracker.StartWouldBeNew()) << "a second start while loading is the page's";
    tracker.Failed(wesCannotConnect, true);
    EXPECT_FALSE(tracker.StartWouldBeNew()) << "the error page";
    tracker.Finished();
    tracker.Started(u"https://a.example/");
    tracker.Finished();
    EXPECT_TRUE(tracker.StartWouldBeNew()) << "after the error page";
}

} // namespace
} // namespace webview
