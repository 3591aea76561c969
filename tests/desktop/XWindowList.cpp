#include "desktop/XWindowList.h"

#include <algorithm>
#include <iterator>

namespace desktop_test {

std::set<::Window> ViewableTopLevels() {
    std::set<::Window> out;
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return out;
    ::Window root = 0;
    ::Window parent = 0;
    ::Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
                out.insert(children[i]);
        }
        if (children)
            XFree(children);
    }
    XCloseDisplay(d);
    return out;
}

std::set<::Window> NewWindows(const std::set<::Window>& before, const std::set<::Window>& now) {
    std::set<::Window> out;
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::inserter(out, out.end()));
    return out;
}

} // namespace desktop_test
