#pragma once

// Value types shared by the window manager and the display backends. They are
// deliberately free of the Windows API's names: a backend knows surfaces,
// pixels and input events, not windows and messages.

#include <cstdint>
#include <string>
#include <vector>

namespace display {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    [[nodiscard]] int Width() const noexcept { return Right - Left; }
    [[nodiscard]] int Height() const noexcept { return Bottom - Top; }
    [[nodiscard]] bool IsEmpty() const noexcept { return Right <= Left || Bottom <= Top; }
    [[nodiscard]] bool Contains(int x, int y) const noexcept {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    bool operator==(const TRect&) const = default;
};

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

// A surface is a top-level window as the desktop sees it. 0 is never a surface.
using TSurfaceId = std::uint32_t;

struct TMonitor {
    TRect Bounds;
    TRect WorkArea;
    bool Primary = false;
    std::u16string DeviceName;
};

struct TSurfaceParams {
    TRect Bounds;         // screen coordinates
    TSurfaceId Owner = 0; // stays above its owner and minimises with it
    bool Topmost = false;
    bool NoActivate = false; // showing it never takes the keyboard focus
    bool TaskbarButton = true;
    bool InputTransparent = false; // mouse input passes to what lies below
    std::u16string ClassName;      // the window class: how the desktop groups and matches windows
};

enum TShowMode { smHide, smShow, smShowNoActivate };

enum TSurfaceState { ssNormal, ssMinimized, ssMaximized };

// How the alpha byte of presented pixels is read.
enum TAlphaMode {
    amOpaque,       // alpha ignored: every pixel covers what lies below
    amPremultiplied // per-pixel alpha, colour channels premultiplied by it
};

// 32-bit BGRA pixels, top-down rows; Stride counts pixels, not bytes.
struct TPixelView {
    const std::uint32_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;
};

enum TCursorShape {
    csNone,
    csArrow,
    csIBeam,
    csWait,
    csCross,
    csUpArrow,
    csSizeNWSE,
    csSizeNESW,
    csSizeWE,
    csSizeNS,
    csSizeAll,
    csNo,
    csHand,
    csAppStarting,
    csHelp
};

enum TMessageBoxButtons {
    mbbOk,
    mbbOkCancel,
    mbbAbortRetryIgnore,
    mbbYesNoCancel,
    mbbYesNo,
    mbbRetryCancel,
    mbbCancelTryContinue
};
enum TMessageBoxIcon { mbiNone, mbiError, mbiQuestion, mbiWarning, mbiInformation };
enum TMessageBoxAnswer {
    mbaNone,
    mbaOk,
    mbaCancel,
    mbaAbort,
    mbaRetry,
    mbaIgnore,
    mbaYes,
    mbaNo,
    mbaTryAgain,
    mbaContinue
};

struct TMessageBoxRequest {
    TSurfaceId Owner = 0;
    std::u16string Text;
    std::u16string Caption;
    TMessageBoxButtons Buttons = mbbOk;
    TMessageBoxIcon Icon = mbiNone;
    int DefaultButton = 0; // index into the buttons, 0 = first
};

// The buttons a request shows, left to right.
std::vector<TMessageBoxAnswer> MessageBoxAnswers(TMessageBoxButtons buttons);

enum TMouseButton { mbLeft, mbRight, mbMiddle, mbX1, mbX2 };

enum TDisplayEventKind {
    dekMouseMove,    // Position
    dekMouseButton,  // Position, Button, Down
    dekMouseWheel,   // Position, Delta (multiples of 120), Horizontal
    dekKey,          // VirtualKey, ScanCode, Down, Extended
    dekChar,         // Char: text typed through an input method
    dekSurfaceMoved, // Surface, Bounds: the desktop moved or resized it
    dekSurfaceState, // Surface, State: the desktop minimised, maximised or restored it
    dekCloseRequest, // Surface
    dekActivated,    // Surface (0: none of ours is active any more)
};

struct TDisplayEvent {
    TDisplayEventKind Kind = dekMouseMove;
    TSurfaceId Surface = 0;
    TPoint Position; // screen coordinates
    TMouseButton Button = mbLeft;
    bool Down = false;
    int Delta = 0;
    bool Horizontal = false;
    std::uint16_t VirtualKey = 0;
    std::uint16_t ScanCode = 0;
    bool Extended = false;
    char16_t Char = 0;
    TRect Bounds;
    TSurfaceState State = ssNormal;
};

} // namespace display
