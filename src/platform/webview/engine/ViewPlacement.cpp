#include "platform/webview/engine/ViewPlacement.h"

#include "platform/win/user/WinUser.h"
#include "platform/win/user/WindowSurface.h"

namespace webview {

TViewPlacement PlacementOverHost(win::HWND host, const win::RECT* bounds, bool visible) {
    TViewPlacement p;
    if (!win::IsWindow(host))
        return p;
    const win::HWND root = win::GetAncestor(host, win::GA_ROOT);
    win::RECT rootRect{};
    win::RECT client{};
    win::POINT origin{0, 0};
    if (!win::GetWindowRect(root, &rootRect) || !win::GetClientRect(host, &client) ||
        !win::ClientToScreen(host, &origin))
        return p;
    const win::RECT r = bounds ? *bounds : client;
    // Surface coordinates: a top-level surface covers the window rectangle.
    const int dx = origin.x - rootRect.left;
    const int dy = origin.y - rootRect.top;
    p.Surface = win::GetWindowSurface(host);
    p.Rect = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    p.Visible =
        visible && win::IsWindowVisible(host) && !win::IsIconic(root) && r.right > r.left && r.bottom > r.top;
    return p;
}

} // namespace webview
