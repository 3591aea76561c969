#include "platform/win/user/WindowSurface.h"

#include "platform/win/user/WindowManager_p.h"

namespace win {

display::TSurfaceId GetWindowSurface(HWND hwnd) {
    auto lock = Wm().Lock();
    if (!Wm().FindLive(hwnd))
        return 0;
    const TWnd* top = Wm().FindLive(Wm().RootOf(hwnd));
    return top ? top->Surface : 0;
}

} // namespace win
