#pragma once

// Input as if from the user, injected into the X server (XTEST), so that it
// takes the same path as a real keyboard and mouse: X server, GTK, and the
// window system or the browser engine.

#include <X11/Xlib.h>
#include <initializer_list>

namespace desktop_test {

class TXInput {
public:
    TXInput();
    ~TXInput();
    TXInput(const TXInput&) = delete;
    TXInput& operator=(const TXInput&) = delete;

    [[nodiscard]] bool Ready() const noexcept { return FDisplay != nullptr && FHasXTest; }
    void MoveTo(int x, int y);
    void Button(unsigned button, bool down);
    void Click(unsigned button);
    // Presses the modifiers (key symbols) in order, taps key, releases them.
    void Chord(std::initializer_list<KeySym> modifiers, KeySym key);
    void Wheel(bool up, std::initializer_list<KeySym> modifiers = {});

private:
    void Key(KeySym key, bool down);
    void Flush();

    Display* FDisplay = nullptr;
    bool FHasXTest = false;
};

} // namespace desktop_test
