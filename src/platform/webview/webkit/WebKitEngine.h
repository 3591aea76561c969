#pragma once

// The real engine: a WebKitWebView inside the GTK desktop's window that
// holds the host, placed exactly over the host's rectangle. Needs the GTK
// desktop (display::TGtkDisplay); without it creation fails.

#include "platform/webview/engine/BrowserEngine.h"
#include "platform/webview/webkit/WebKitLibrary.h"

#include <webkit2/webkit2.h>

namespace webview {

class TWebKitEngine final : public TBrowserEngine {
public:
    TWebKitEngine() = default;
    ~TWebKitEngine() override;

    // The view, for tests and for what the component needs beyond the
    // engine interface; nullptr before creation.
    [[nodiscard]] WebKitWebView* View() const noexcept { return reinterpret_cast<WebKitWebView*>(FView); }

private:
    [[nodiscard]] win::HRESULT DoCreate(win::HWND host, const TEngineOptions& options) override;
    void DoApplySettings(const TEngineSettings& settings) override;
    void DoFlushEvents() override { FlushStart(); }
    [[nodiscard]] bool DoNavigate(const rtl::String& uri) override;
    void DoPlace(const TViewPlacement& placement) override;

    static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static gboolean OnLoadFailed(WebKitWebView* view, WebKitLoadEvent event, gchar* uri, GError* error,
                                 gpointer self);
    static gboolean OnTlsFailed(WebKitWebView* view, gchar* uri, GTlsCertificate* certificate,
                                GTlsCertificateFlags errors, gpointer self);
    static gboolean OnContextMenu(WebKitWebView* view, WebKitContextMenu* menu, GdkEvent* event,
                                  WebKitHitTestResult* hit, gpointer self);
    static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
    static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean OnScroll(GtkWidget* widget, GdkEventScroll* event, gpointer self);
    static gboolean OnDragMotion(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time,
                                 gpointer self);
    static gboolean OnDragDrop(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time,
                               gpointer self);
    static void OnZoomChanged(GObject* view, GParamSpec* property, gpointer self);
    static void OnDestroy(GtkWidget* widget, gpointer self);

    // Runs a browser feature the user asked for with a key or button; false
    // when it is switched off, and the input then goes to the page.
    bool RunCommand(int command);
    void SetZoom(double level);
    [[nodiscard]] bool RefusesDrop(GdkDragContext* context) const;
    void ShowErrorPage(const char* failingUri, const char* reason);
    void FlushStart(const char* failingUri = nullptr);
    void FollowSurface(std::uint32_t surface);
    void ReleaseView();
    [[nodiscard]] const TWebKitApi& Api() const noexcept { return *FApi; }

    const TWebKitApi* FApi = nullptr; // set by a successful creation, before the view exists
    GtkWidget* FView = nullptr;       // our reference; the layout holds another while placed
    bool FViewGone = false;           // destroyed with the window that held it
    WebKitSettings* FWebSettings = nullptr;
    std::uint32_t FHookSurface = 0;
    int FHookId = 0;
    // A navigation of the page's own has started; its start is reported
    // with its next signal, when its address is known.
    bool FStartPending = false;
    double FZoom = 1.0; // the level the program and the zoom control agreed on
    bool FSettingZoom = false;
    // WebKit refuses some addresses (blocked ports) without a failure: it
    // shows an empty page instead, which must not read as success.
    bool FBlockedLoad = false;
    // A certificate refused before the load fails tells the failure's kind.
    bool FCertificateFailed = false;
    TWebErrorStatus FCertificateStatus = wesUnknown;
};

// Installs the WebKitGTK engine as the browser component's engine.
void UseWebKitEngine();

} // namespace webview
