#include "desktop/ScreenGrab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gdk-pixbuf/gdk-pixbuf.h>

namespace desktop_test {

std::uint32_t TScreenShot::At(int x, int y) const noexcept {
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return 0xFFFFFFFFu;
    return Pixels[static_cast<std::size_t>(y) * Width + x];
}

TScreenShot GrabScreen() {
    TScreenShot shot;
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return shot;
    const Window root = DefaultRootWindow(d);
    XWindowAttributes attrs{};
    XGetWindowAttributes(d, root, &attrs);
    XImage* image = XGetImage(d, root, 0, 0, static_cast<unsigned>(attrs.width),
                              static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
    if (image) {
        shot.Width = attrs.width;
        shot.Height = attrs.height;
        shot.Pixels.resize(static_cast<std::size_t>(shot.Width) * shot.Height);
        for (int y = 0; y < shot.Height; ++y)
            for (int x = 0; x < shot.Width; ++x)
                shot.Pixels[static_cast<std::size_t>(y) * shot.Width + x] =
                    static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
        XDestroyImage(image);
    }
    XCloseDisplay(d);
    return shot;
}

std::uint32_t ScreenPixel(int x, int y) {
    // One connection for the whole test process: pixels are read often.
    static Display* d = XOpenDisplay(nullptr);
    if (!d)
        return 0xFFFFFFFFu;
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0xFFFFFFFFu;
    const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFFu;
    XDestroyImage(image);
    return pixel;
}

std::string SaveArtifact(const TScreenShot& shot, const std::string& name) {
    if (shot.Width <= 0 || shot.Height <= 0)
        return {};
    const std::filesystem::path dir = std::filesystem::path(LUMORA_BINARY_DIR) / "artifacts" / "desktop";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = (dir / (name + ".png")).string();
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, shot.Width, shot.Height);
    if (!pixbuf)
        return {};
    guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x) {
            const std::uint32_t p = shot.At(x, y);
            guchar* out = rows + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
            out[0] = static_cast<guchar>(p >> 16);
            out[1] = static_cast<guchar>(p >> 8);
            out[2] = static_cast<guchar>(p);
        }
    const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(pixbuf);
    return saved ? path : std::string();
}

std::string ColorText(std::uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

bool ColorNear(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
            tolerance)
            return false;
    return true;
}

} // namespace desktop_test
