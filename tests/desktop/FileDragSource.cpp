#include "desktop/FileDragSource.h"

namespace desktop_test {

TFileDragSource::TFileDragSource(int x, int y, int size, std::string uri) : FUri(std::move(uri)) {
    // A pop-up window: placed exactly where asked, with or without a window manager.
    FWindow = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_window_move(GTK_WINDOW(FWindow), x, y);
    gtk_window_set_default_size(GTK_WINDOW(FWindow), size, size);
    GtkTargetEntry target{const_cast<gchar*>("text/uri-list"), 0, 0};
    gtk_drag_source_set(FWindow, GDK_BUTTON1_MASK, &target, 1, GDK_ACTION_COPY);
    g_signal_connect(FWindow, "drag-begin", G_CALLBACK(OnBegin), this);
    g_signal_connect(FWindow, "drag-data-get", G_CALLBACK(OnDataGet), this);
    g_signal_connect(FWindow, "drag-end", G_CALLBACK(OnEnd), this);
    gtk_widget_show_all(FWindow);
}

TFileDragSource::~TFileDragSource() {
    g_signal_handlers_disconnect_by_data(FWindow, this);
    if (FContext)
        g_object_unref(FContext);
    gtk_widget_destroy(FWindow);
}

bool TFileDragSource::ReachedTarget() const {
    return FContext && gdk_drag_context_get_dest_window(FContext) != nullptr;
}

bool TFileDragSource::TargetAccepts() const {
    return FContext && gdk_drag_context_get_selected_action(FContext) != 0;
}

void TFileDragSource::OnBegin(GtkWidget* /*widget*/, GdkDragContext* context, gpointer data) {
    auto* self = static_cast<TFileDragSource*>(data);
    if (self->FContext)
        g_object_unref(self->FContext);
    self->FContext = GDK_DRAG_CONTEXT(g_object_ref(context));
    self->FEnded = false;
}

void TFileDragSource::OnDataGet(GtkWidget* /*widget*/, GdkDragContext* /*context*/, GtkSelectionData* data,
                                guint /*info*/, guint /*time*/, gpointer self) {
    auto* source = static_cast<TFileDragSource*>(self);
    gchar* uris[] = {const_cast<gchar*>(source->FUri.c_str()), nullptr};
    gtk_selection_data_set_uris(data, uris);
    source->FDataTaken = true;
}

void TFileDragSource::OnEnd(GtkWidget* /*widget*/, GdkDragContext* /*context*/, gpointer self) {
    static_cast<TFileDragSource*>(self)->FEnded = true;
}

} // namespace desktop_test
