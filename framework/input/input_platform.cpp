#include "framework/input/input_platform.h"

namespace {

class SystemInputPlatformImpl : public InputPlatform {
public:
    SHORT GetAsyncKeyState(int virtualKey) override { return ::GetAsyncKeyState(virtualKey); }
    SHORT GetKeyState(int virtualKey) override { return ::GetKeyState(virtualKey); }
    int ShowCursor(BOOL show) override { return ::ShowCursor(show); }
    BOOL GetCursorPos(POINT* point) override { return ::GetCursorPos(point); }
    BOOL SetCursorPos(int x, int y) override { return ::SetCursorPos(x, y); }
    HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) override {
        return ::LoadCursorA(instance, name);
    }
};

}  // namespace

InputPlatform& SystemInputPlatform() {
    static SystemInputPlatformImpl platform;
    return platform;
}
