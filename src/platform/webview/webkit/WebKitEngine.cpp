#include "platform/webview/webkit/WebKitEngine.h"

#include "platform/display/gtk/GtkDisplay.h"
#include "platform/webview/engine/EngineFactory.h"
#include "platform/webview/webkit/BrowserKeys.h"
#include "platform/webview/webkit/WebKitErrors.h"
#include "platform/webview/webkit/WebKitLibrary.h"
#include "platform/webview/webkit/WebKitProfile.h"
#include "platform/win/WinError.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace webview {

namespace {

constexpr win::HRESULT kNoDesktop = win::HRESULT_FROM_WIN32(win::ERROR_NOT_SUPPORTED);
constexpr win::HRESULT kNoEngine = win::HRESULT_FROM_WIN32(win::ERROR_FILE_NOT_FOUND);

// The view's own type is the engine's, known only once it has loaded; the
// widget is a WebKitWebView by construction.
WebKitWebView* AsWebView(GtkWidget* view) {
    return reinterpret_cast<WebKitWebView*>(view);
}

std::string EscapedHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

unsigned ModifiersOf(guint state) {
    unsigned m = bmNone;
    if (state & GDK_SHIFT_MASK)
        m |= bmShift;
    if (state & GDK_CONTROL_MASK)
        m |= bmControl;
    if (state & GDK_MOD1_MASK)
        m |= bmAlt;
    return m;
}

} // namespace

TWebKitEngine::~TWebKitEngine() {
    ReleaseView();
}

void TWebKitEngine::ReleaseView() {
    FStartPending = false;
    if (FHookId != 0) {
        if (display::TGtkDisplay* desktop = display::TGtkDisplay::Current())
            desktop->RemoveBeforePaintHook(FHookId);
        FHookId = 0;
    }
    if (FView) {
        g_signal_handlers_disconnect_by_data(FView, this);
        if (!FViewGone)
            gtk_widget_destroy(FView);
        g_object_unref(FView);
        FView = nullptr;
    }
    if (FWebSettings) {
        g_object_unref(FWebSettings);
        FWebSettings = nullptr;
    }
}

win::HRESULT TWebKitEngine::DoCreate(win::HWND /*host*/, const TEngineOptions& options) {
    if (!display::TGtkDisplay::Current())
        return kNoDesktop;
    FApi = WebKit();
    if (!FApi) {
        g_warning("The browser engine does not load: %s", WebKitLoadError().c_str());
        return kNoEngine;
    }
    FWebSettings = Api().SettingsNew();
    FView = GTK_WIDGET(g_object_new(Api().WebViewGetType(), "web-context",
                                    WebContextForFolder(Api(), options.UserDataFolder), "settings",
                                    FWebSettings, nullptr));
    g_object_ref_sink(FView);
    g_signal_connect(FView, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(FView, "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(FView, "load-failed-with-tls-errors", G_CALLBACK(OnTlsFailed), this);
    g_signal_connect(FView, "context-menu", G_CALLBACK(OnContextMenu), this);
    g_signal_connect(FView, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(FView, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(FView, "scroll-event", G_CALLBACK(OnScroll), this);
    g_signal_connect(FView, "drag-motion", G_CALLBACK(OnDragMotion), this);
    g_signal_connect(FView, "drag-drop", G_CALLBACK(OnDragDrop), this);
    g_signal_connect(FView, "notify::zoom-level", G_CALLBACK(OnZoomChanged), this);
    g_signal_connect(FView, "destroy", G_CALLBACK(OnDestroy), this);
    return win::S_OK;
}

// Settings WebKit knows are set on it; the rest are enforced where the input
// arrives (keys, buttons, wheel, menus, drops).
void TWebKitEngine::DoApplySettings(const TEngineSettings& settings) {
    if (!FWebSettings)
        return;
    Api().SettingsSetEnableDeveloperExtras(FWebSettings, settings.DevToolsEnabled);
    Api().SettingsSetEnableBackForwardNavigationGestures(FWebSettings, settings.IsSwipeNavigationEnabled);
    if (!settings.DevToolsEnabled && FView)
        Api().WebInspectorClose(Api().WebViewGetInspector(AsWebView(FView)));
    // FIXME: WebKitGTK shows no status bubble of its own, so StatusBarEnabled
    // has nothing to switch.
}

bool TWebKitEngine::DoNavigate(const rtl::String& uri) {
    if (!FView || FViewGone)
        return false;
    Api().WebViewLoadUri(AsWebView(FView), rtl::StringToUtf8(uri).c_str());
    return true;
}

// --- placement

void TWebKitEngine::DoPlace(const TViewPlacement& placement) {
    display::TGtkDisplay* desktop = display::TGtkDisplay::Current();
    if (!FView || FViewGone || !desktop)
        return;
    GtkLayout* layout = placement.Surface ? desktop->SurfaceLayout(placement.Surface) : nullptr;
    GtkWidget* parent = gtk_widget_get_parent(FView);
    if (parent != GTK_WIDGET(layout)) {
        if (parent)
            gtk_container_remove(GTK_CONTAINER(parent), FView);
        if (layout)
            gtk_layout_put(layout, FView, placement.Rect.left, placement.Rect.top);
        FollowSurface(placement.Surface);
    }
    if (!layout)
        return;
    gtk_layout_move(layout, FView, placement.Rect.left, placement.Rect.top);
    gtk_widget_set_size_request(FView, std::max<int>(placement.Rect.right - placement.Rect.left, 1),
                                std::max<int>(placement.Rect.bottom - placement.Rect.top, 1));
    gtk_widget_set_visible(FView, placement.Visible);
}

// Whatever moves the host repaints the window: before each frame the view
// is placed again, so it follows moves of the host's ancestors as well.
void TWebKitEngine::FollowSurface(std::uint32_t surface) {
    display::TGtkDisplay* desktop = display::TGtkDisplay::Current();
    if (!desktop || surface == FHookSurface)
        return;
    if (FHookId != 0)
        desktop->RemoveBeforePaintHook(FHookId);
    FHookId = 0;
    FHookSurface = surface;
    if (surface != 0)
        FHookId = desktop->AddBeforePaintHook(surface, [this] { UpdatePlacement(); });
}

// --- loads

// For a navigation the page begins (a link, a script, a drop), the view's
// address is still the old page's when the start is announced; it is the
// new one by the load's next signal, which a failure carries itself.
void TWebKitEngine::FlushStart(const char* failingUri) {
    if (!FStartPending)
        return;
    FStartPending = false;
    const char* uri = failingUri ? failingUri : Api().WebViewGetUri(AsWebView(FView));
    Tracker().Started(rtl::Utf8ToString(uri ? uri : ""));
}

void TWebKitEngine::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    self->FlushStart();
    switch (event) {
    case WEBKIT_LOAD_STARTED:
        if (self->Tracker().StartWouldBeNew())
            self->FStartPending = true;
        else
            self->Tracker().Started(self->Source());
        break;
    case WEBKIT_LOAD_COMMITTED: {
        const char* uri = self->Api().WebViewGetUri(view);
        if (uri && std::strcmp(uri, "about:blank") == 0 && self->Source() != u"about:blank") {
            self->FBlockedLoad = true;
            break;
        }
        int status = 0;
        if (WebKitWebResource* resource = self->Api().WebViewGetMainResource(view))
            if (WebKitURIResponse* response = self->Api().WebResourceGetResponse(resource))
                status = static_cast<int>(self->Api().UriResponseGetStatusCode(response));
        self->Tracker().Committed(status);
        break;
    }
    case WEBKIT_LOAD_FINISHED:
        self->FCertificateFailed = false;
        if (self->FBlockedLoad) {
            self->FBlockedLoad = false;
            const std::string uri = rtl::StringToUtf8(self->Source());
            self->Tracker().Failed(wesUnexpectedError, true);
            self->Tracker().Finished();
            self->ShowErrorPage(uri.c_str(), "The address is blocked by the browser.");
            break;
        }
        self->Tracker().Finished();
        break;
    case WEBKIT_LOAD_REDIRECTED:
        break;
    }
}

gboolean TWebKitEngine::OnTlsFailed(WebKitWebView* /*view*/, gchar* uri, GTlsCertificate* /*certificate*/,
                                    GTlsCertificateFlags errors, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    self->FlushStart(uri);
    self->FCertificateFailed = true;
    self->FCertificateStatus = WebErrorStatusOfCertificate(errors);
    return FALSE; // load-failed follows and shows the error page
}

gboolean TWebKitEngine::OnLoadFailed(WebKitWebView* /*view*/, WebKitLoadEvent /*event*/, gchar* uri,
                                     GError* error, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    self->FlushStart(uri);
    if (IsCancellation(error)) {
        self->Tracker().Failed(wesOperationCanceled, false);
        return TRUE;
    }
    const TWebErrorStatus status =
        self->FCertificateFailed ? self->FCertificateStatus : WebErrorStatusOf(error);
    self->FCertificateFailed = false;
    self->Tracker().Failed(status, true);
    self->ShowErrorPage(uri, error && error->message ? error->message : "");
    return TRUE;
}

// An error page of our own, loaded in place of the failed address as the
// engine's default one would be; its loads are not navigations.
void TWebKitEngine::ShowErrorPage(const char* failingUri, const char* reason) {
    const std::string uri = failingUri ? failingUri : "";
    const std::string html =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + EscapedHtml(uri) +
        "</title><style>body{font-family:sans-serif;margin:15% 10%;color:#333}h1{font-size:20px}"
        "p{color:#777}</style></head><body><h1>This page can't be reached</h1><p>" +
        EscapedHtml(reason) + "</p><p>" + EscapedHtml(uri) + "</p></body></html>";
    Api().WebViewLoadAlternateHtml(AsWebView(FView), html.c_str(), uri.c_str(), nullptr);
}

// --- the browser's own user interface

gboolean TWebKitEngine::OnContextMenu(WebKitWebView* /*view*/, WebKitContextMenu* /*menu*/,
                                      GdkEvent* /*event*/, WebKitHitTestResult* /*hit*/, gpointer data) {
    const auto* self = static_cast<TWebKitEngine*>(data);
    // The page has had its contextmenu event already; only the menu is ours.
    return !self->Settings().DefaultContextMenusEnabled;
}

bool TWebKitEngine::RunCommand(int command) {
    WebKitWebView* view = AsWebView(FView);
    const TEngineSettings& s = Settings();
    switch (command) {
    case bcReload:
    case bcReloadBypassCache:
        if (!s.AreBrowserAcceleratorKeysEnabled)
            return false;
        if (command == bcReload)
            Api().WebViewReload(view);
        else
            Api().WebViewReloadBypassCache(view);
        return true;
    case bcBack:
    case bcForward:
        if (!s.AreBrowserAcceleratorKeysEnabled)
            return false;
        if (command == bcBack)
            Api().WebViewGoBack(view);
        else
            Api().WebViewGoForward(view);
        return true;
    case bcZoomIn:
    case bcZoomOut:
    case bcZoomReset:
        if (!s.ZoomControlEnabled || !s.AreBrowserAcceleratorKeysEnabled)
            return false;
        SetZoom(command == bcZoomReset ? 1.0 : NextZoomLevel(FZoom, command == bcZoomIn));
        return true;
    case bcDevTools:
        if (!s.DevToolsEnabled || !s.AreBrowserAcceleratorKeysEnabled)
            return false;
        Api().WebInspectorShow(Api().WebViewGetInspector(view));
        return true;
    default:
        return false;
    }
}

gboolean TWebKitEngine::OnKeyPress(GtkWidget* /*widget*/, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    return self->RunCommand(BrowserCommandOfKey(event->keyval, ModifiersOf(event->state)));
}

// The mouse's back and forward buttons are browser keys too; WebKit would
// go through the history on them by itself.
gboolean TWebKitEngine::OnButtonPress(GtkWidget* /*widget*/, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    if (event->button != 8 && event->button != 9)
        return FALSE;
    if (event->type == GDK_BUTTON_PRESS)
        (void)self->RunCommand(event->button == 8 ? bcBack : bcForward);
    return TRUE;
}

gboolean TWebKitEngine::OnScroll(GtkWidget* /*widget*/, GdkEventScroll* event, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    if (!(event->state & GDK_CONTROL_MASK))
        return FALSE;
    double dy = 0;
    if (event->direction == GDK_SCROLL_UP)
        dy = -1;
    else if (event->direction == GDK_SCROLL_DOWN)
        dy = 1;
    else if (event->direction == GDK_SCROLL_SMOOTH)
        dy = event->delta_y;
    if (dy == 0)
        return FALSE;
    if (!self->Settings().ZoomControlEnabled)
        return FALSE;
    self->SetZoom(NextZoomLevel(self->FZoom, dy < 0));
    return TRUE;
}

void TWebKitEngine::SetZoom(double level) {
    FZoom = level;
    FSettingZoom = true;
    Api().WebViewSetZoomLevel(AsWebView(FView), level);
    FSettingZoom = false;
}

// With the zoom control off the level changes only when we change it,
// whatever route (a gesture, a key WebKit handles itself) asked for it.
void TWebKitEngine::OnZoomChanged(GObject* /*view*/, GParamSpec* /*property*/, gpointer data) {
    auto* self = static_cast<TWebKitEngine*>(data);
    if (self->FSettingZoom)
        return;
    const double level = self->Api().WebViewGetZoomLevel(AsWebView(self->FView));
    if (self->Settings().ZoomControlEnabled)
        self->FZoom = level;
    else if (level != self->FZoom)
        self->SetZoom(self->FZoom);
}

// Drags that start inside the page are the page's; drops from other
// programs are refused when external drops are off.
bool TWebKitEngine::RefusesDrop(GdkDragContext* context) const {
    return !Settings().AllowExternalDrop && gtk_drag_get_source_widget(context) != FView;
}

gboolean TWebKitEngine::OnDragMotion(GtkWidget* /*widget*/, GdkDragContext* context, gint /*x*/, gint /*y*/,
                                     guint time, gpointer data) {
    const auto* self = static_cast<TWebKitEngine*>(data);
    if (!self->RefusesDrop(context))
        return FALSE;
    gdk_drag_status(context, static_cast<GdkDragAction>(0), time);
    return TRUE;
}

gboolean TWebKitEngine::OnDragDrop(GtkWidget* /*widget*/, GdkDragContext* context, gint /*x*/, gint /*y*/,
                                   guint time, gpointer data) {
    const auto* self = static_cast<TWebKitEngine*>(data);
    if (!self->RefusesDrop(context))
        return FALSE;
    gtk_drag_finish(context, FALSE, FALSE, time);
    return TRUE;
}

void TWebKitEngine::OnDestroy(GtkWidget* /*widget*/, gpointer data) {
    // The window holding the view went away with it; only our reference is
    // left, and nothing more can be shown.
    auto* self = static_cast<TWebKitEngine*>(data);
    self->FViewGone = true;
    self->FHookSurface = 0;
    if (self->FHookId != 0) {
        if (display::TGtkDisplay* desktop = display::TGtkDisplay::Current())
            desktop->RemoveBeforePaintHook(self->FHookId);
        self->FHookId = 0;
    }
}

void UseWebKitEngine() {
    SetEngineFactory([] { return std::make_unique<TWebKitEngine>(); });
}

} // namespace webview
