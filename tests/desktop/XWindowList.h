#pragma once

// The X windows a user could see: the mapped children of the root window.
// Menus, inspector windows and dialogs of another process show up here
// whatever toolkit made them.

#include <X11/Xlib.h>
#include <set>

namespace desktop_test {

// Top-level windows of the screen that are viewable now.
[[nodiscard]] std::set<::Window> ViewableTopLevels();

// The windows of now that were not in before.
[[nodiscard]] std::set<::Window> NewWindows(const std::set<::Window>& before, const std::set<::Window>& now);

} // namespace desktop_test
