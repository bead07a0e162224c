// Doubles behind the services of the command base: surfaces of every kind, screens with their
// back buffers, UI parts with type codes, the placement's sprite operations and the main window.
// Every operation called on a double counts in FakeCalls(), so a test can show that a routine
// touched nothing. Header-only, for the game's tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "framework/util/handle_table.h"
#include "game/commands/command_services.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/graphics_object_lookup.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/interfaces/surface.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "scenario/interfaces/ui_part.h"

namespace testsupport {

inline int& FakeCalls() {
    static int calls = 0;
    return calls;
}

inline std::uint32_t WordOf(const void* object) { return HandleTable<void>::WordOf(object); }

// A surface of any kind; answers only what the resolution routines ask.
class FakeSurface : public Surface {
public:
    explicit FakeSurface(SurfaceKind kind) : m_kind(kind) {}
    virtual ~FakeSurface() = default;

    void* XM_METHOD DeletingDestructor(std::uint32_t) override { return Count(nullptr); }
    SurfaceKind XM_METHOD Kind() override { return Count(m_kind); }
    std::int32_t XM_METHOD Width() override { return Count(0); }
    std::int32_t XM_METHOD Height() override { return Count(0); }
    std::int32_t XM_METHOD Pitch() override { return Count(0); }
    RECT* XM_METHOD GetRect(RECT* out) override { return Count(out); }
    std::uint8_t* XM_METHOD Bits() override { return Count(nullptr); }
    std::uint8_t* XM_METHOD Row(std::int32_t) override { return Count(nullptr); }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t, std::int32_t, std::int32_t) override { return Count(0); }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t, std::int32_t) override { return Count(0); }
    std::int32_t XM_METHOD ColourKey() override { return Count(-1); }
    std::int32_t XM_METHOD ClearColourKey() override { return Count(0); }
    std::int32_t XM_METHOD Restore(bool) override { return Count(0); }
    bool XM_METHOD SetClipRect(const RECT*) override { return Count(false); }
    RECT* XM_METHOD GetClipRect(RECT* out) override { return Count(out); }
    const RECT* XM_METHOD ClipRectPtr() override { return Count(&m_clipRect); }
    bool XM_METHOD ClipToClipRect(RECT*) override { return Count(false); }
    std::int32_t XM_METHOD OriginX() override { return Count(0); }
    std::int32_t XM_METHOD OriginY() override { return Count(0); }
    void XM_METHOD SetOriginX(std::int32_t) override { Count(0); }
    void XM_METHOD SetOriginY(std::int32_t) override { Count(0); }
    void XM_METHOD SetOwnerKey(std::uint32_t) override { Count(0); }
    std::uint32_t XM_METHOD OwnerKey() override { return Count(0u); }

private:
    template <class T>
    static T Count(T value) {
        ++FakeCalls();
        return value;
    }

    SurfaceKind m_kind;
};

// A back buffer: its image, an optional canvas and an optional second sprite list.
class FakeBackBuffer : public ScreenBuffer {
public:
    FakeBackBuffer(SurfaceKind kind, Image* image, Canvas* canvas, SpriteList* overlay)
        : m_kind(kind), m_image(image), m_canvas(canvas), m_overlay(overlay) {}
    virtual ~FakeBackBuffer() = default;

    void* XM_METHOD DeletingDestructor(std::uint32_t) override { return Count(nullptr); }
    SurfaceKind XM_METHOD Kind() override { return Count(m_kind); }
    Image* XM_METHOD GetImage() override { return Count(m_image); }
    Canvas* XM_METHOD GetCanvas() override { return Count(m_canvas); }
    SpriteList* XM_METHOD GetOverlayList() override { return Count(m_overlay); }
    ScreenBuffer* XM_METHOD GetAlternate() override { return Count<ScreenBuffer*>(nullptr); }
    Image* XM_METHOD GetTransitionImage() override { return Count<Image*>(nullptr); }
    std::int32_t XM_METHOD Depth() override { return Count(32); }
    bool XM_METHOD UsesCanvas() override { return Count(m_canvas != nullptr); }
    bool XM_METHOD SwapsAtEnd() override { return Count(false); }
    bool XM_METHOD SetUseCanvas(bool) override { return Count(false); }
    void XM_METHOD Invalidate(const RECT*) override { Count(0); }
    void XM_METHOD SetCanvasNoBackground(bool) override { Count(0); }
    void XM_METHOD SetCanvasSpritesHidden(bool, bool) override { Count(0); }
    std::int32_t XM_METHOD ChangeDepth(std::int32_t) override { return Count(-1); }
    void XM_METHOD SwapCanvases(ScreenBuffer*) override { Count(0); }
    void XM_METHOD ExchangeBackgrounds(ScreenBuffer*) override { Count(0); }
    void XM_METHOD ReleaseTransitionImage() override { Count(0); }
    HDC XM_METHOD PresentSourceDC() override { return Count<HDC>(nullptr); }
    bool XM_METHOD InTransition() override { return Count(false); }
    TransCallback* XM_METHOD GetTransition() override { return Count<TransCallback*>(nullptr); }
    std::int32_t XM_METHOD SetAlternate(ScreenBuffer*) override { return Count(1); }
    std::int32_t XM_METHOD BeginTransition(TransCallback*, TransitionMode, bool, bool) override {
        return Count(-1);
    }
    void XM_METHOD EndTransition(bool) override { Count(0); }

private:
    template <class T>
    static T Count(T value) {
        ++FakeCalls();
        return value;
    }

    SurfaceKind m_kind;
    Image* m_image;
    Canvas* m_canvas;
    SpriteList* m_overlay;
};

// A screen as the screen device makes it: the surface side first, then the back buffer.
class FakeScreen : public FakeSurface, public FakeBackBuffer {
public:
    FakeScreen(SurfaceKind kind, Image* image, Canvas* canvas, SpriteList* overlay)
        : FakeSurface(kind), FakeBackBuffer(kind, image, canvas, overlay) {}
};

// The texture screen keeps its back buffer in a member of its own.
class FakeTextureScreen : public FakeSurface {
public:
    FakeTextureScreen(Image* image, Canvas* canvas, SpriteList* overlay)
        : FakeSurface(kSurfaceTextureScreen), buffer(kSurfaceTextureScreen, image, canvas, overlay) {}

    FakeBackBuffer buffer;
};

// The screen device's object tables, filled by the test as an owner fills them.
class FakeGraphicsObjects : public GraphicsObjectLookup {
public:
    Surface* FindSurface(std::uint32_t word) override { return surfaces.Find(word); }
    Image* FindImage(std::uint32_t word) override { return images.Find(word); }
    ScreenBuffer* FindScreenBuffer(std::uint32_t word) override { return screens.Find(word); }
    Sprite* FindSprite(std::uint32_t word) override { return sprites.Find(word); }
    ScreenBuffer* GameScreen() override { return gameScreen; }
    std::uint32_t SpriteOwnerKey() override { return ownerKey; }

    void AddSurface(FakeSurface& surface) { surfaces.Add(&surface); }
    void AddImage(Image& image) {
        surfaces.AddAs(WordOf(&image), &image);
        images.Add(&image);
    }
    void AddScreen(FakeScreen& screen) {
        const std::uint32_t word = WordOf(static_cast<FakeSurface*>(&screen));
        surfaces.AddAs(word, static_cast<FakeSurface*>(&screen));
        screens.AddAs(word, static_cast<FakeBackBuffer*>(&screen));
    }
    void AddScreen(FakeTextureScreen& screen) {
        surfaces.Add(&screen);
        screens.AddAs(WordOf(&screen), &screen.buffer);
    }
    void Remove(std::uint32_t word) {
        surfaces.Remove(word);
        images.Remove(word);
        screens.Remove(word);
        sprites.Remove(word);
    }

    HandleTable<Surface> surfaces;
    HandleTable<Image> images;
    HandleTable<ScreenBuffer> screens;
    HandleTable<Sprite> sprites;
    ScreenBuffer* gameScreen = nullptr;
    std::uint32_t ownerKey = 0;
};

// The placement's operations on sprites, images and lists, recorded.
class RecordingSpriteOperations : public SpriteOperations {
public:
    struct Placed {
        Surface* image;
        bool hasSource;
        RECT source;
        std::int32_t x, y;
    };
    struct Listed {
        SpriteList* list;
        Drawable* drawable;
        std::uint32_t priority, tag;
    };

    std::int32_t LoadImage(Image& image, const char* fileName) override {
        ++FakeCalls();
        loads.push_back({&image, fileName ? fileName : ""});
        return loadResult;
    }
    std::int32_t SetSpriteImage(Sprite&, Surface* image, const RECT* source, std::int32_t x,
                                std::int32_t y) override {
        ++FakeCalls();
        placed.push_back({image, source != nullptr, source ? *source : RECT{}, x, y});
        return setImageResult;
    }
    std::int32_t AddToList(SpriteList& list, Drawable& drawable, std::uint32_t priority,
                           std::uint32_t tag) override {
        ++FakeCalls();
        listed.push_back({&list, &drawable, priority, tag});
        return 0;
    }

    std::vector<std::pair<Image*, std::string>> loads;
    std::vector<Placed> placed;
    std::vector<Listed> listed;
    std::int32_t loadResult = 0;
    std::int32_t setImageResult = 0;
};

// A UI part of any type: records what it is given; a text window takes `room` characters and
// line breaks before it reports full.
class FakeUiPart : public UiPartContent {
public:
    explicit FakeUiPart(std::int32_t type) : m_type(type) {}

    std::int32_t TypeCode() override { return Count(m_type); }
    Drawable* PartSprite() override { return Count(sprite); }
    Drawable* RowObject(std::int32_t row) override {
        lastRow = row;
        return Count(rowObject);
    }
    char* TextBuffer() override { return Count(text); }
    char* RowText(std::int32_t row) override {
        lastRow = row;
        return Count(rowText);
    }
    std::uint8_t SetCheckState(bool checked) override {
        log += checked ? "check(1)" : "check(0)";
        return Count(answer);
    }
    std::int32_t CheckState() override { return Count(checkState); }
    void SetText(const char* value) override { log += std::string("text(") + value + ")"; Count(0); }
    void SetSliderValue(std::int32_t value) override { log += "slider(" + std::to_string(value) + ")"; Count(0); }
    bool NewLine() override {
        fed += '|';
        return Count(--room > 0);
    }
    bool PutChar(std::uint8_t byte) override {
        fed += static_cast<char>(byte);
        return Count(--room > 0);
    }
    void Select(std::int32_t row) override { log += "select(" + std::to_string(row) + ")"; Count(0); }
    std::int32_t ValueWord() override { return Count(value); }
    void SetTypeFlag(bool flag) override { log += flag ? "flag(1)" : "flag(0)"; Count(0); }
    void SetInputLock(bool locked) override { log += locked ? "lock(1)" : "lock(0)"; Count(0); }

    Drawable* sprite = nullptr;
    Drawable* rowObject = nullptr;
    char* text = nullptr;
    char* rowText = nullptr;
    std::uint8_t answer = 0;
    std::int32_t checkState = 0;
    std::int32_t value = 0;
    std::int32_t lastRow = 0x7FFF;
    std::int32_t room = 1000;
    std::string fed;  // text window input, '|' for each new line
    std::string log;

private:
    template <class T>
    static T Count(T result) {
        ++FakeCalls();
        return result;
    }

    std::int32_t m_type;
};

class FakeUiParts : public UiPartLookup {
public:
    UiPartContent* FindPart(std::uint32_t word) override { return parts.Find(word); }
    HandleTable<UiPartContent> parts;
};

// The main window: which menu entries are enabled, and every message sent or posted.
class RecordingAppWindow : public AppWindowPort {
public:
    struct Message {
        bool sent;
        UINT message;
        WPARAM wParam;
    };

    bool MenuEntryEnabled(std::uint32_t commandId) override {
        for (std::uint32_t id : enabled) {
            if (id == commandId) return true;
        }
        return false;
    }
    bool ModeChangeAllowed() override { return modeChangeAllowed; }
    void SendToMainWindow(UINT message, WPARAM wParam, LPARAM) override {
        messages.push_back({true, message, wParam});
    }
    void PostToMainWindow(UINT message, WPARAM wParam, LPARAM) override {
        messages.push_back({false, message, wParam});
    }
    HWND MainWindow() override { return nullptr; }

    std::vector<std::uint32_t> enabled;
    bool modeChangeAllowed = false;
    std::vector<Message> messages;
};

// A page of memory that faults on any access once revoked: a forged word points into it from
// the start, a stale word names an object that lived there before it was released.
class NoAccessPage {
public:
    NoAccessPage() : m_page(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~NoAccessPage() { VirtualFree(m_page, 0, MEM_RELEASE); }
    NoAccessPage(const NoAccessPage&) = delete;
    NoAccessPage& operator=(const NoAccessPage&) = delete;

    void* Address() const { return m_page; }
    std::uint32_t Word(std::uint32_t offset = 0) const { return WordOf(m_page) + offset; }
    void Revoke() {
        DWORD old = 0;
        VirtualProtect(m_page, 4096, PAGE_NOACCESS, &old);
    }
    // Builds an object in the page (before Revoke).
    template <class T, class... Args>
    T* Make(Args&&... args) {
        return new (m_page) T(static_cast<Args&&>(args)...);
    }

private:
    void* m_page;
};

// Installs the doubles as the command services for one test and puts the previous ones back.
class ServicesScope {
public:
    ServicesScope(GraphicsObjectLookup* graphics, UiPartLookup* parts, SpriteOperations* sprites,
                  AppWindowPort* window)
        : m_saved(Services()) {
        Services() = CommandServices{graphics, parts, sprites, window};
        FakeCalls() = 0;
    }
    ~ServicesScope() { Services() = m_saved; }

private:
    CommandServices m_saved;
};

}  // namespace testsupport
