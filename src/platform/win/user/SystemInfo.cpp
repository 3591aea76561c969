#include "platform/win/user/SystemInfo.h"

#include "platform/win/user/Input.h"
#include "platform/win/user/Message.h"
#include "platform/win/user/Message_p.h"
#include "platform/win/user/Monitor_p.h"
#include "platform/win/user/UserErrors.h"
#include "platform/win/user/Window.h"

#include <algorithm>
#include <climits>
#include <string>

namespace win {

namespace {

RECT ToRect(const display::TRect& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

long long Area(const RECT& r) {
    return r.right > r.left && r.bottom > r.top
               ? static_cast<long long>(r.right - r.left) * (r.bottom - r.top)
               : 0;
}

RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

long long DistanceSquared(const RECT& r, POINT p) {
    const long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
    const long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

std::size_t PrimaryIndexLocked() {
    const auto& monitors = Wm().Monitors();
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].Primary)
            return i;
    return 0;
}

// Monitor handles carry the index and the generation of the monitor list.
HMONITOR MonitorHandle(std::size_t index) {
    return reinterpret_cast<HMONITOR>((static_cast<ULONG_PTR>(Wm().MonitorGeneration) << 16) | (index + 1) |
                                      0x40000000);
}

bool MonitorIndexOf(HMONITOR monitor, std::size_t& index) {
    const ULONG_PTR v = reinterpret_cast<ULONG_PTR>(monitor);
    if ((v & 0x40000000) == 0 || ((v >> 16) & 0x3FFF) != (Wm().MonitorGeneration & 0x3FFF))
        return false;
    index = (v & 0xFFFF) - 1;
    return (v & 0xFFFF) != 0 && index < Wm().Monitors().size();
}

HMONITOR ByFlags(bool found, std::size_t index, std::size_t nearest, DWORD flags) {
    if (found)
        return MonitorHandle(index);
    if (flags == MONITOR_DEFAULTTOPRIMARY)
        return MonitorHandle(PrimaryIndexLocked());
    if (flags == MONITOR_DEFAULTTONEAREST)
        return MonitorHandle(nearest);
    return nullptr;
}

std::size_t NearestToPointLocked(POINT p) {
    const auto& monitors = Wm().Monitors();
    std::size_t best = 0;
    long long bestDistance = LLONG_MAX;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const long long d = DistanceSquared(ToRect(monitors[i].Bounds), p);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

bool MonitorOfRectLocked(const RECT& rect, std::size_t& index) {
    const auto& monitors = Wm().Monitors();
    long long best = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const long long a = Area(Intersect(ToRect(monitors[i].Bounds), rect));
        if (a > best) {
            best = a;
            index = i;
        }
    }
    return best > 0;
}

RECT VirtualScreenLocked() {
    const auto& monitors = Wm().Monitors();
    RECT box = ToRect(monitors.front().Bounds);
    for (const auto& m : monitors) {
        box.left = std::min<LONG>(box.left, m.Bounds.Left);
        box.top = std::min<LONG>(box.top, m.Bounds.Top);
        box.right = std::max<LONG>(box.right, m.Bounds.Right);
        box.bottom = std::max<LONG>(box.bottom, m.Bounds.Bottom);
    }
    return box;
}

void BroadcastSettingChange(UINT action) {
    std::vector<HWND> tops;
    {
        auto lock = Wm().Lock();
        tops = Wm().Find(Wm().Desktop())->Children;
    }
    for (HWND top : tops)
        SendMessageW(top, WM_SETTINGCHANGE, action, 0);
}

} // namespace

std::size_t MonitorIndexOfRectLocked(const RECT& rect) {
    std::size_t index = 0;
    if (MonitorOfRectLocked(rect, index))
        return index;
    return NearestToPointLocked({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

RECT MonitorRectLocked(std::size_t index) {
    return ToRect(Wm().Monitors()[index].Bounds);
}

RECT MonitorWorkAreaLocked(std::size_t index) {
    if (index == PrimaryIndexLocked() && Wm().WorkAreaOverride)
        return *Wm().WorkAreaOverride;
    return ToRect(Wm().Monitors()[index].WorkArea);
}

RECT WorkAreaOfRectLocked(const RECT& rect) {
    return MonitorWorkAreaLocked(MonitorIndexOfRectLocked(rect));
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CYCAPTION:
    case SM_CYSMCAPTION:
        return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
    case SM_CXPADDEDBORDER:
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
        return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
        return 17;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CYMENU:
        return 20;
    case SM_CXSIZE:
        return 36;
    case SM_CYSIZE:
        return 22;
    case SM_CXMIN:
    case SM_CXMINTRACK:
        return 136;
    case SM_CYMIN:
    case SM_CYMINTRACK:
        return 39;
    case SM_CXMINIMIZED:
        return 160;
    case SM_CYMINIMIZED:
        return 28;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_SAMEDISPLAYFORMAT:
        return 1;
    case SM_CMOUSEBUTTONS:
        return 5;
    case SM_SWAPBUTTON:
    case SM_REMOTESESSION:
        return 0;
    default:
        break;
    }
    auto lock = Wm().Lock();
    const std::size_t primary = PrimaryIndexLocked();
    const RECT screen = MonitorRectLocked(primary);
    const RECT work = MonitorWorkAreaLocked(primary);
    const RECT virt = VirtualScreenLocked();
    constexpr int kFrame = 8; // sizing frame plus padding
    switch (index) {
    case SM_CXSCREEN:
        return screen.right - screen.left;
    case SM_CYSCREEN:
        return screen.bottom - screen.top;
    case SM_CXFULLSCREEN:
        return work.right - work.left;
    case SM_CYFULLSCREEN:
        return work.bottom - work.top - 23;
    case SM_CXMAXIMIZED:
        return work.right - work.left + 2 * kFrame;
    case SM_CYMAXIMIZED:
        return work.bottom - work.top + 2 * kFrame;
    case SM_CXMAXTRACK:
        return virt.right - virt.left + 2 * kFrame;
    case SM_CYMAXTRACK:
        return virt.bottom - virt.top + 2 * kFrame;
    case SM_XVIRTUALSCREEN:
        return virt.left;
    case SM_YVIRTUALSCREEN:
        return virt.top;
    case SM_CXVIRTUALSCREEN:
        return virt.right - virt.left;
    case SM_CYVIRTUALSCREEN:
        return virt.bottom - virt.top;
    case SM_CMONITORS:
        return static_cast<int>(Wm().Monitors().size());
    default:
        return 0;
    }
}

BOOL SystemParametersInfoW(UINT action, UINT /*uiParam*/, LPVOID pvParam, UINT winIni) {
    auto uintOut = [pvParam](UINT v) {
        if (!pvParam)
            return 0;
        *static_cast<UINT*>(pvParam) = v;
        return 1;
    };
    switch (action) {
    case SPI_GETWORKAREA: {
        if (!pvParam)
            return 0;
        auto lock = Wm().Lock();
        *static_cast<RECT*>(pvParam) = MonitorWorkAreaLocked(PrimaryIndexLocked());
        return 1;
    }
    case SPI_SETWORKAREA: {
        {
            auto lock = Wm().Lock();
            if (!pvParam) {
                Wm().WorkAreaOverride.reset();
            } else {
                // The work area must lie inside the primary monitor.
                const RECT r = *static_cast<const RECT*>(pvParam);
                const RECT screen = MonitorRectLocked(PrimaryIndexLocked());
                const RECT clipped = Intersect(r, screen);
                if (Area(clipped) == 0) {
                    SetUserError(ERROR_INVALID_PARAMETER);
                    return 0;
                }
                Wm().WorkAreaOverride = clipped;
            }
        }
        if (winIni & SPIF_SENDCHANGE)
            BroadcastSettingChange(SPI_SETWORKAREA);
        return 1;
    }
    case SPI_GETFOREGROUNDLOCKTIMEOUT: {
        auto lock = Wm().Lock();
        if (!pvParam)
            return 0;
        *static_cast<DWORD*>(pvParam) = Wm().ForegroundLockTimeout;
        return 1;
    }
    case SPI_SETFOREGROUNDLOCKTIMEOUT: {
        auto lock = Wm().Lock();
        Wm().ForegroundLockTimeout = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pvParam));
    }
        if (winIni & SPIF_SENDCHANGE)
            BroadcastSettingChange(SPI_SETFOREGROUNDLOCKTIMEOUT);
        return 1;
    case SPI_GETWHEELSCROLLLINES:
    case SPI_GETWHEELSCROLLCHARS:
        return uintOut(3);
    case SPI_GETMOUSEHOVERTIME:
        return uintOut(400);
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
        return uintOut(4);
    case SPI_GETDRAGFULLWINDOWS:
        if (!pvParam)
            return 0;
        *static_cast<BOOL*>(pvParam) = 1;
        return 1;
    default:
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

// --- monitors

HMONITOR MonitorFromPoint(POINT point, DWORD flags) {
    auto lock = Wm().Lock();
    const auto& monitors = Wm().Monitors();
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].Bounds.Contains(point.x, point.y))
            return MonitorHandle(i);
    return ByFlags(false, 0, NearestToPointLocked(point), flags);
}

HMONITOR MonitorFromRect(LPCRECT rect, DWORD flags) {
    if (!rect)
        return nullptr;
    auto lock = Wm().Lock();
    std::size_t index = 0;
    const bool found = MonitorOfRectLocked(*rect, index);
    return ByFlags(found, index, MonitorIndexOfRectLocked(*rect), flags);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags) {
    auto lock = Wm().Lock();
    TWnd* w = Wm().FindLive(hwnd);
    if (!w)
        return ByFlags(false, 0, PrimaryIndexLocked(), flags);
    // A minimised window belongs to the monitor of its restored place.
    RECT r = Wm().ScreenWindowRect(*w);
    if (w->Style & WS_MINIMIZE)
        r = w->NormalRect;
    std::size_t index = 0;
    const bool found = MonitorOfRectLocked(r, index);
    return ByFlags(found, index, MonitorIndexOfRectLocked(r), flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
    if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXW))) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto lock = Wm().Lock();
    std::size_t index = 0;
    if (!MonitorIndexOf(monitor, index)) {
        SetUserError(ERROR_INVALID_MONITOR_HANDLE);
        return 0;
    }
    info->rcMonitor = MonitorRectLocked(index);
    info->rcWork = MonitorWorkAreaLocked(index);
    info->dwFlags = Wm().Monitors()[index].Primary ? MONITORINFOF_PRIMARY : 0;
    if (info->cbSize == sizeof(MONITORINFOEXW)) {
        auto* ex = reinterpret_cast<MONITORINFOEXW*>(info);
        const std::u16string name =
            u"\\\\.\\DISPLAY" + std::u16string(1, static_cast<char16_t>(u'1' + index % 9));
        std::fill(std::begin(ex->szDevice), std::end(ex->szDevice), 0);
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 31), ex->szDevice);
    }
    return 1;
}

BOOL EnumDisplayMonitors(HDC /*dc*/, LPCRECT clip, MONITORENUMPROC proc, LPARAM data) {
    if (!proc)
        return 0;
    std::vector<std::pair<HMONITOR, RECT>> list;
    {
        auto lock = Wm().Lock();
        for (std::size_t i = 0; i < Wm().Monitors().size(); ++i) {
            RECT r = MonitorRectLocked(i);
            if (clip)
                r = Intersect(r, *clip);
            if (Area(r) > 0)
                list.emplace_back(MonitorHandle(i), r);
        }
    }
    for (auto& [monitor, rect] : list)
        if (!proc(monitor, nullptr, &rect, data))
            break;
    return 1;
}

// --- message boxes

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    display::TMessageBoxRequest request;
    request.Text = text ? text : u"";
    request.Caption = caption ? caption : u"Error";
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons > MB_CANCELTRYCONTINUE) {
        SetUserError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    request.Buttons = static_cast<display::TMessageBoxButtons>(buttons);
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        request.Icon = display::mbiError;
        break;
    case MB_ICONQUESTION:
        request.Icon = display::mbiQuestion;
        break;
    case MB_ICONEXCLAMATION:
        request.Icon = display::mbiWarning;
        break;
    case MB_ICONASTERISK:
        request.Icon = display::mbiInformation;
        break;
    default:
        request.Icon = display::mbiNone;
        break;
    }
    request.DefaultButton = static_cast<int>((type & MB_DEFMASK) >> 8);
    {
        auto lock = Wm().Lock();
        if (TWnd* w = Wm().FindLive(Wm().RootOf(owner)))
            request.Owner = w->Surface;
    }
    // The box is modal to its owner, which is disabled while it shows.
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner)
        EnableWindow(owner, 0);
    display::TMessageBoxAnswer answer = display::mbaNone;
    {
        auto lock = Wm().Lock();
        display::TDisplayBackend& backend = Wm().Backend();
        lock.unlock();
        answer = backend.ShowMessageBox(request);
    }
    if (disableOwner)
        EnableWindow(owner, 1);
    constexpr int kIds[] = {0,        IDOK,  IDCANCEL, IDABORT,    IDRETRY,
                            IDIGNORE, IDYES, IDNO,     IDTRYAGAIN, IDCONTINUE};
    return kIds[answer];
}

} // namespace win
