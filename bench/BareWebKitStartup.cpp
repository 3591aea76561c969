// The reference for the desktop start-up measurement (desktop-startup.sh):
// the least a program does to show an undecorated 1440 x 960 window with a
// WebKitGTK view loading an address, in a profile folder of its own. Prints,
// on the monotonic clock in microseconds, when the window's first frame was
// painted and when the page finished loading, then ends.
//
//   bare-webkit-startup PROFILE_DIR URL

#include <cstdio>
#include <ctime>
#include <string>
#include <unistd.h>
#include <webkit2/webkit2.h>

namespace {

long long MonotonicUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void Print(const char* what) {
    std::printf("%s t_us=%lld\n", what, MonotonicUs());
    std::fflush(stdout);
}

void OnAfterPaint(GdkFrameClock* clock, gpointer /*data*/) {
    Print("first-frame");
    g_signal_handlers_disconnect_by_func(clock, reinterpret_cast<gpointer>(&OnAfterPaint), nullptr);
}

void OnRealize(GtkWidget* window, gpointer /*data*/) {
    g_signal_connect(gdk_window_get_frame_clock(gtk_widget_get_window(window)), "after-paint",
                     G_CALLBACK(OnAfterPaint), nullptr);
}

void OnLoadChanged(WebKitWebView* /*view*/, WebKitLoadEvent event, gpointer /*data*/) {
    if (event != WEBKIT_LOAD_FINISHED)
        return;
    Print("load-finished");
    _exit(0);
}

} // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: bare-webkit-startup PROFILE_DIR URL\n");
        return 2;
    }
    const std::string base = argv[1];
    const std::string cache = base + "/Cache";
    WebKitWebsiteDataManager* manager = webkit_website_data_manager_new(
        "base-data-directory", base.c_str(), "base-cache-directory", cache.c_str(), nullptr);
    WebKitWebContext* context = webkit_web_context_new_with_website_data_manager(manager);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), 1440, 960);
    gtk_window_move(GTK_WINDOW(window), 0, 0);
    g_signal_connect(window, "realize", G_CALLBACK(OnRealize), nullptr);
    GtkWidget* view = webkit_web_view_new_with_context(context);
    g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
    gtk_container_add(GTK_CONTAINER(window), view);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[2]);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}
