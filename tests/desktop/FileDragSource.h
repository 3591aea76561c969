#pragma once

// A file offered for dragging by a small window of the test process, so a
// drop onto another program's window goes the way a file manager's does:
// XDND between two X clients, started by real pointer input (XTEST).

#include <gtk/gtk.h>
#include <string>

namespace desktop_test {

class TFileDragSource {
public:
    // A size x size window at (x, y) that drags uri as text/uri-list.
    TFileDragSource(int x, int y, int size, std::string uri);
    ~TFileDragSource();
    TFileDragSource(const TFileDragSource&) = delete;
    TFileDragSource& operator=(const TFileDragSource&) = delete;

    [[nodiscard]] bool Began() const noexcept { return FContext != nullptr; }
    [[nodiscard]] bool Ended() const noexcept { return FEnded; }
    // Whether the drag has found a window that takes part in XDND.
    [[nodiscard]] bool ReachedTarget() const;
    // Whether the window under the pointer accepts the drop as it stands.
    [[nodiscard]] bool TargetAccepts() const;
    [[nodiscard]] bool DataTaken() const noexcept { return FDataTaken; }

private:
    static void OnBegin(GtkWidget* widget, GdkDragContext* context, gpointer self);
    static void OnDataGet(GtkWidget* widget, GdkDragContext* context, GtkSelectionData* data, guint info,
                          guint time, gpointer self);
    static void OnEnd(GtkWidget* widget, GdkDragContext* context, gpointer self);

    GtkWidget* FWindow = nullptr;
    std::string FUri;
    GdkDragContext* FContext = nullptr; // while the drag lasts, and after for the answer
    bool FEnded = false;
    bool FDataTaken = false;
};

} // namespace desktop_test
