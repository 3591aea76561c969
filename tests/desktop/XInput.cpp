#include "desktop/XInput.h"

#include <X11/extensions/XTest.h>

namespace desktop_test {

TXInput::TXInput() : FDisplay(XOpenDisplay(nullptr)) {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    FHasXTest = FDisplay && XTestQueryExtension(FDisplay, &event, &error, &major, &minor);
}

TXInput::~TXInput() {
    if (FDisplay)
        XCloseDisplay(FDisplay);
}

void TXInput::Flush() {
    XSync(FDisplay, False);
}

void TXInput::MoveTo(int x, int y) {
    XTestFakeMotionEvent(FDisplay, -1, x, y, CurrentTime);
    Flush();
}

void TXInput::Button(unsigned button, bool down) {
    XTestFakeButtonEvent(FDisplay, button, down ? True : False, CurrentTime);
    Flush();
}

void TXInput::Click(unsigned button) {
    Button(button, true);
    Button(button, false);
}

void TXInput::Key(KeySym key, bool down) {
    const KeyCode code = XKeysymToKeycode(FDisplay, key);
    if (code != 0)
        XTestFakeKeyEvent(FDisplay, code, down ? True : False, CurrentTime);
}

void TXInput::Chord(std::initializer_list<KeySym> modifiers, KeySym key) {
    for (KeySym m : modifiers)
        Key(m, true);
    Key(key, true);
    Key(key, false);
    for (auto it = modifiers.end(); it != modifiers.begin();)
        Key(*--it, false);
    Flush();
}

void TXInput::Wheel(bool up, std::initializer_list<KeySym> modifiers) {
    for (KeySym m : modifiers)
        Key(m, true);
    XTestFakeButtonEvent(FDisplay, up ? 4 : 5, True, CurrentTime);
    XTestFakeButtonEvent(FDisplay, up ? 4 : 5, False, CurrentTime);
    for (auto it = modifiers.end(); it != modifiers.begin();)
        Key(*--it, false);
    Flush();
}

} // namespace desktop_test
