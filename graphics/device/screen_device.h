// ScreenDevice: the Direct3D device of the display together with its drawing list and the four
// lists that own every graphics object scripts make (surfaces, device drawables, fonts,
// sprites). Scripts hold each object by a 32-bit word, the object's address (for the texture
// kinds the texture face); commands turn words back into objects only through the lookup
// service, answered from one handle table per family that every create fills and every delete
// path empties.
//
// Deleting a surface first lets go of it everywhere the lists can see: sprites that show it
// are reset (their old area repainted), device drawables that use it forget it and disable
// themselves, canvases of listed screens that have it as background show none. Deleting a font
// clears DefaultFont when it was that font, and listed text images that borrow it drop it.
// Before any of that, the deletion listeners hear of the object (object_deletion_listener.h).
//
// Constructible without a window: the display modes and presentation come with the window
// layer. All operations run on the script's thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "framework/runtime/recursive_lock.h"
#include "framework/util/handle_table.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/device/device_drawable.h"
#include "graphics/device/direct3d_device.h"
#include "graphics/device/object_deletion_listener.h"
#include "graphics/device/screen_modes.h"
#include "graphics/interfaces/graphics_object_lookup.h"

class ColourRectSprite;
class Drawable;
class PolygonSprite;
class TexturedQuadSprite;
class TriangleSprite;
class DirectDrawImage;
class DirectDrawScreen;
class FillRectSprite;
class Font;
class GdiScreen;
class Image;
class MemoryScreen;
class RenderStateBlock;
class ScreenBuffer;
class Sprite;
class Surface;
class SurfaceSprite;
class TransitionSprite;
class Texture;
class TextBitmapImage;
class TextureStageBlock;
class VideoFrameSurface;

// Asked before each create allocates its object; false makes that allocation fail. Null (the
// default) allows every allocation. For tests of the allocation paths.
extern bool (*ScreenObjectAllocationGate)();

// ChangeDisplaySettingsExA, replaceable by tests.
extern LONG(WINAPI* ScreenDisplaySettingsCall)(LPCSTR deviceName, DEVMODEA* mode, HWND window, DWORD flags,
                                               LPVOID parameter);

// Owns the IDirectDrawClipper bound to the window.
class ClipperHolder {
public:
    ClipperHolder() = default;
    virtual ~ClipperHolder() { Release(); }
    ClipperHolder(const ClipperHolder&) = delete;
    ClipperHolder& operator=(const ClipperHolder&) = delete;

    // Releases any previous clipper, makes one, binds it to the window and sets it on the
    // surface. 0; 1 missing argument; 2 creation failed; 3 SetHWnd failed; 4 SetClipper failed
    // (the new clipper is released again on 3 and 4).
    std::int32_t Attach(IDirectDraw7* directDraw, IDirectDrawSurface7* surface, HWND window);
    void Release();
    IDirectDrawClipper* Clipper() const { return m_clipper; }

private:
    IDirectDrawClipper* m_clipper = nullptr;
};

class ScreenDevice : public Direct3DDevice, public GraphicsObjectLookup {
public:
    ScreenDevice();
    ~ScreenDevice() override;

    // --- Create: out receives the object or null; 0 or the code of the failing step ---
    std::int32_t CreateDirectDrawImage(DirectDrawImage** out, std::int32_t width, std::int32_t height,
                                       std::uint8_t systemMemory);
    std::int32_t LoadDirectDrawImage(DirectDrawImage** out, const char* fileName, const std::uint8_t* data,
                                     std::uint32_t size, std::uint8_t flags);
    std::int32_t CreateTextBitmap(TextBitmapImage** out, const char* text, Font* font);
    std::int32_t CreateTextureText(Texture** out, Font* font, const char* text, std::int32_t formatCode);
    std::int32_t CreateTextureImage(Texture** out, std::int32_t formatCode, const char* fileName,
                                    const std::uint8_t* data, std::uint32_t size, std::uint8_t flags);
    std::int32_t CreateDirectDrawScreen(DirectDrawScreen** out, std::int32_t width, std::int32_t height,
                                        std::uint8_t depth, std::uint8_t withCanvas);
    std::int32_t CreateTextureScreen(Texture** out, std::int32_t formatCode, std::int32_t width,
                                     std::int32_t height, std::uint8_t depth, std::uint8_t flag,
                                     std::uint32_t systemMemory);
    std::int32_t CreateGdiScreen(GdiScreen** out, std::int32_t width, std::int32_t height, std::uint8_t depth,
                                 std::uint8_t canvasMode);
    std::int32_t CreateGdiScreenSimple(MemoryScreen** out, std::int32_t width, std::int32_t height,
                                       std::uint8_t depth, std::uint8_t withCanvas);
    std::int32_t CreateImage(Image** out, std::int32_t width, std::int32_t height, std::uint8_t depth,
                             std::uint8_t flags);
    std::int32_t LoadImage(Image** out, const char* fileName, const std::uint8_t* data, std::int32_t size,
                           std::uint8_t flags);
    std::int32_t LoadIndexedImage(Image** out, const char* fileName, const std::uint8_t* data,
                                  std::int32_t size, std::uint8_t flags);
    std::int32_t CreateImageFromText(Image** out, const char* text, Font* font, std::uint8_t flags);
    std::int32_t CopyImage(Image** out, const Image* source, std::uint8_t flags);
    std::int32_t CreateVideoFrameSurface(VideoFrameSurface** out);
    std::int32_t CreateSurfaceSprite(SurfaceSprite** out, Surface* image, const RECT* sourceRect, std::int32_t x,
                                     std::int32_t y);
    std::int32_t CreateSurfaceSpriteEx(SurfaceSprite** out, Surface* image, const RECT* sourceRect,
                                       std::int32_t x, std::int32_t y);
    // routine, x, y, progress; the two further routine words 0.
    std::int32_t CreateTransitionSprite(TransitionSprite** out, Surface* source, Surface* target,
                                        std::int32_t routine, std::int32_t x, std::int32_t y, std::int32_t progress);
    // texture: a texture face.
    std::int32_t CreateTexturedQuad(TexturedQuadSprite** out, Texture* texture, const RECT* sourceRect,
                                    std::int32_t x, std::int32_t y);
    std::int32_t CreateTexturedQuadEx(TexturedQuadSprite** out, Texture* texture, const RECT* sourceRect,
                                      std::int32_t x, std::int32_t y);
    // With adoptArrays the polygon owns xs and ys (new[] arrays) once it took them: also when
    // its allocation fails, they are freed here.
    std::int32_t CreatePolygon(PolygonSprite** out, std::int32_t count, std::int32_t* xs, std::int32_t* ys,
                               std::uint32_t colour, std::uint8_t primitiveType, std::uint8_t adoptArrays);
    std::int32_t CreateColourRect(ColourRectSprite** out, std::int32_t width, std::int32_t height,
                                  std::uint32_t colour, std::int32_t x, std::int32_t y);
    std::int32_t CreateTriangle(TriangleSprite** out, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2, std::int32_t x3, std::int32_t y3, std::uint32_t colour,
                                std::int32_t x, std::int32_t y);
    std::int32_t CreateRenderStateBlock(RenderStateBlock** out);
    std::int32_t CreateTextureStageBlock(TextureStageBlock** out);
    std::int32_t CreateGdiFont(Font** out, const char* face, std::int32_t size);
    std::int32_t CreateAntialiasFont(Font** out, const char* face, std::int32_t size);
    std::int32_t CreateSprite(Sprite** out, Surface* image, const RECT* sourceRect, std::int32_t x,
                              std::int32_t y);
    std::int32_t CreateFillRectSprite(FillRectSprite** out, std::int32_t x, std::int32_t y, std::uint32_t colour,
                                      std::int32_t width, std::int32_t height);
    std::int32_t CloneSprite(Sprite** out, const Sprite* source);
    // Lists a drawable made elsewhere (a sprite movie, kind 2) among the sprites, which then own
    // it: it gets a handle and is deleted by the sprite releases.
    void AdoptSprite(Drawable* sprite) { AddSprite(sprite); }

    // --- Release: 0 deleted; 1 null; 2 not in the list (nothing changes); 3 pinned ---
    // Either face of a texture kind finds it.
    std::int32_t ReleaseImage(const void* surface);
    std::int32_t ReleaseImageRef(Surface** surface);
    std::int32_t ReleaseDrawable(DeviceDrawable* drawable);
    std::int32_t ReleaseFont(Font** font);
    std::int32_t ReleaseSprite(Drawable* sprite);
    std::int32_t ReleaseSpriteRef(Drawable** sprite);
    // flags bit 1 inverts the match, bit 0 extends the release to surfaces.
    void ReleaseDrawablesByOwner(std::uint32_t key, std::uint8_t flags);
    void ReleaseSpritesByOwner(std::uint32_t key, std::uint8_t invert);
    void ReleaseAllFonts();
    void ReleaseAllSprites();
    // Drawables, then sprites, then surfaces, then the drawing list is emptied; fonts and
    // pinned entries stay.
    void DestroyAllObjects();
    // Restores every surface, then the cached states, then the drawing list's drawables, each
    // pass whatever an earlier one answered: 0 or the first nonzero code.
    std::int32_t RestoreObjects(bool onlyIfLost);

    // A pinned entry is released only by the destructor (release by handle answers 3). Pins
    // count: every holder that lends the object out pins it once and unpins it once. False when
    // the word names no listed object.
    bool Pin(std::uint32_t word);
    // Takes one pin away (none left stays none); false when the word names no listed object.
    bool Unpin(std::uint32_t word);
    // Whether the word names a listed object with a pin on it.
    bool IsPinned(std::uint32_t word) const;

    // Listeners hear of every listed object before it is deleted (see ObjectDeletionListener).
    // A listener may add or remove listeners from inside a notice.
    void AddDeletionListener(ObjectDeletionListener* listener);
    void RemoveDeletionListener(ObjectDeletionListener* listener);

    // --- Lookup (GraphicsObjectLookup and the families it does not cover) ---
    Surface* FindSurface(std::uint32_t word) override { return m_surfaceHandles.Find(word); }
    Image* FindImage(std::uint32_t word) override { return m_imageHandles.Find(word); }
    ScreenBuffer* FindScreenBuffer(std::uint32_t word) override { return m_screenHandles.Find(word); }
    Sprite* FindSprite(std::uint32_t word) override;
    ScreenBuffer* GameScreen() override { return nullptr; }
    std::uint32_t SpriteOwnerKey() override { return spriteOwnerKey; }
    Texture* FindTexture(std::uint32_t word) { return m_textureHandles.Find(word); }
    DeviceDrawable* FindDrawable(std::uint32_t word) { return m_drawableHandles.Find(word); }
    Font* FindFont(std::uint32_t word) { return m_fontHandles.Find(word); }
    // Any kind of the sprites list (sprites and fill rectangles).
    Drawable* FindSpriteDrawable(std::uint32_t word) { return m_spriteHandles.Find(word); }

    // The lists in creation order, for the frame's callers and tests.
    template <class Visit>
    void ForEachSurface(Visit visit) const {
        for (const SurfaceEntry& e : m_surfaces) visit(e.surface);
    }
    template <class Visit>
    void ForEachDrawable(Visit visit) const {
        for (const DrawableEntry& e : m_drawables) visit(e.drawable);
    }
    template <class Visit>
    void ForEachFont(Visit visit) const {
        for (const FontEntry& e : m_fonts) visit(e.font);
    }
    template <class Visit>
    void ForEachSprite(Visit visit) const {
        for (const SpriteEntry& e : m_sprites) visit(e.sprite);
    }
    std::int32_t SurfaceCount() const { return static_cast<std::int32_t>(m_surfaces.size()); }
    std::int32_t DrawableCount() const { return static_cast<std::int32_t>(m_drawables.size()); }
    std::int32_t FontCount() const { return static_cast<std::int32_t>(m_fonts.size()); }
    std::int32_t SpriteCount() const { return static_cast<std::int32_t>(m_sprites.size()); }

    DeviceDrawableList& DrawingList() { return m_drawingList; }

    // --- Display modes and geometry ---
    // gameRect = {0, 0, width, height}; 1 when either is not positive (nothing changes).
    std::int32_t SetGameSize(std::int32_t width, std::int32_t height);
    // Stores the display canvas (or none), marks it whole for transfer and takes its size as the
    // game size. The canvas is pinned in the surfaces list, so no script release can delete it
    // under the device; a replaced canvas is unpinned (and stays listed).
    std::int32_t AttachGameImage(GdiScreen* image);
    GdiScreen* GameImage() const { return m_gameImage; }
    // Rebuilds monitors from the display information and the driver list (enumerated here, with
    // modes when useDirectDrawModes). 0 or -1.
    std::int32_t EnumDisplayModes(const std::vector<MonitorRecord>& displays, std::int32_t gameWidth,
                                  std::int32_t gameHeight, bool useDirectDrawModes);
    // The same on given driver records and mode lister (tests and the configuration's preview).
    std::int32_t EnumDisplayModesFrom(const std::vector<MonitorRecord>& displays,
                                      const std::vector<DisplayAdapterRecord>& drivers, std::int32_t gameWidth,
                                      std::int32_t gameHeight, bool useDirectDrawModes, DisplayModeLister lister);
    // Picks the monitor (by handle, else by index; an index out of range picks entry 0), whether
    // full screen changes the mode, the full-screen depth and the display geometry. 0; 1 no
    // monitors; 3 no usable depth for a mode change; 4 letterbox geometry rejected. The depth
    // mask is consulted only when the mode will change: on the desktop its own depth is used.
    std::int32_t SelectMonitor(bool stretchToMode, HMONITOR monitor, std::int32_t index, std::uint8_t depth,
                               const std::vector<MonitorRecord>* displays);
    // 0 set, -1 not needed, 1 bad size (see ComputeLetterbox).
    std::int32_t SetLetterbox(std::int32_t width, std::int32_t height, bool allowSameShape);
    void ClearLetterbox();
    // 0 changed, 1 refused. Undoes an own change still in force first.
    std::int32_t ChangeDisplaySettings(std::int32_t width, std::int32_t height, const char* deviceName);
    // 0 restored, 1 nothing to restore. Puts back the mode in force before the change, else
    // resets to the registry's mode.
    std::int32_t RestoreDisplaySettings();
    const std::vector<MonitorModeEntry>& Monitors() const { return m_monitors; }
    const MonitorModeEntry* CurrentMonitor() const { return m_currentMonitor; }
    // 2 the scaler exists, 1 a back surface exists, 0 neither (GDI).
    std::uint8_t GetPresentMode() const;

    // --- Window, full screen and presentation ---
    // 0 done; 1 no game size or no DirectDraw object; 2 cooperative level or display mode
    // refused; 3 to 6 the surfaces (no object, primary, back, clipper); 7 back format unknown.
    // A failure leaves the surfaces released. With a display canvas, hardwareCanvasMode 3 (or 1
    // when DirectDraw's stretch does not blend) asks for the Direct3D scaler; when it cannot be
    // had the mode goes on without it (GDI in a window, plain surfaces in full screen).
    std::int32_t ChangeMode(HWND window, bool windowed, bool tripleBuffer, bool zBuffer);
    void ReleaseSurfaces();
    // 1 when there is no back surface.
    std::int32_t ClearBackSurface();
    // A frame of the display canvas: 0; 1 or 2 the target's device context cannot be had twice;
    // 4 the blit to the primary failed.
    std::int32_t Present();
    // 0 presented; 1 no back surface; 2 a surface was lost; 3 the flip or blit failed otherwise
    // (a flip or blit refused as still drawing is retried once with the wait flag).
    std::int32_t PresentBackBuffer();
    // Repaints the invalid rectangle (clipped to the game area) from what was last presented.
    HRESULT PresentRect(HDC windowDc, const PAINTSTRUCT& paint);
    // 0 nothing lost, all restored, or no surfaces by design (GDI presentation); 1 no mode set
    // or the last switch failed; 2 the surfaces cannot be made anew.
    std::int32_t RestoreLostSurfaces();
    // The frame's list draw onto the back surface over gameRect; 0 without a back surface.
    std::int32_t DrawList();
    // A display-settings change of the device's own is in force.
    bool DisplaySettingsChanged() const { return m_displayChanged; }
    // 0 done; 1 no primary surface.
    std::int32_t BeginGdiOverlay();
    std::int32_t EndGdiOverlay();
    // The Direct3D scaler that draws the canvas as a filtered quad from a texture onto the back
    // surface. 0; 1 no DirectDraw or back surface; 2 no Direct3D; 3 no HAL device on the back
    // surface; 4 no device caps; 5 the texture would exceed the device's maximum; 6 no texture;
    // 7 the texture's format is palettised or unknown. A failure leaves no scaler.
    std::int32_t CreateScaler();
    void ReleaseScaler();
    // Whether DirectDraw's stretch blit blends pixels; tested once per device (the answer stays
    // in stretchFilterResult: 1 it does not, 2 it does).
    bool TestStretchFiltering();
    // DirectDraw reports no hardware (emulation only): the back surface is the only surface.
    bool NoHardware() const { return (m_hardwareCaps & DDCAPS_NOHARDWARE) != 0; }

    std::uint8_t presentWait = 0;
    std::uint8_t hardwareCanvasMode = 0;
    std::uint8_t windowedHardwareCanvas = 0;
    std::uint8_t transferThroughDc = 0;
    // The scaler's texture is rounded to powers of two even when the device does not ask.
    std::uint8_t powerOfTwoTextures = 0;
    // The scaler filters linearly.
    std::uint8_t smoothScaling = 1;
    std::uint8_t prefer60Hz = 0;
    std::uint8_t backgroundColour[3] = {0, 0, 0};
    std::uint8_t flipChain = 0;
    std::uint8_t tripleBuffer = 0;
    std::uint8_t gdiOverlay = 0;
    std::uint8_t displayDepth = 0;
    std::uint32_t primaryCaps = 0;
    std::uint32_t backCaps = 0;
    std::int32_t backFormat = 0;
    PixelFormatInfo backPixelFormat = {};

    RECT gameRect = {0, 0, 0, 0};
    HWND window = nullptr;
    IDirectDrawSurface7* primarySurface = nullptr;
    IDirectDrawSurface7* backSurface = nullptr;
    IDirectDrawSurface7* scalerTexture = nullptr;
    IDirect3D7* scalerDirect3D = nullptr;
    IDirect3DDevice7* scalerDevice = nullptr;
    std::int32_t scalerFormat = 0;
    SIZE scalerTextureSize = {0, 0};
    std::uint8_t scalerTextureIs32Bit = 0;
    float scalerQuad[4][6] = {};
    std::uint8_t stretchFilterResult = 0;
    ClipperHolder clipper;
    std::uint8_t displayState = 2;  // 0 switching to full screen, 1 full screen, 2 window
    std::uint8_t changeModeForFullScreen = 0;
    std::uint8_t useDirectDrawModes = 0;
    std::uint8_t fullScreenDepth = 0;
    POINT monitorOrigin = {0, 0};
    SIZE displaySize = {0, 0};
    HMONITOR monitorHandle = nullptr;
    std::uint8_t letterbox = 0;
    RECT letterboxDest = {};  // x, y, width, height
    std::uint8_t letterboxBars = 0;
    RECT bar1 = {};
    RECT bar2 = {};
    std::uint8_t letterboxInUse = 0;

    // Pixels of the blits from the back surface to the primary so far (for measurements).
    std::uint64_t primaryBlitPixels = 0;

    // Stamped on every new surface and device drawable, and on every new sprite.
    std::uint32_t objectOwnerKey = 0;
    std::uint32_t spriteOwnerKey = 0;

private:
    struct SurfaceEntry {
        Surface* surface;
        Texture* texture;      // the texture face, or null
        ScreenBuffer* screen;  // the screen face, or null
        Image* image;          // a software image, or null
        std::int32_t pins;
    };
    struct DrawableEntry {
        DeviceDrawable* drawable;
        std::int32_t pins;
    };
    struct FontEntry {
        Font* font;
        std::int32_t pins;
    };
    struct SpriteEntry {
        Drawable* sprite;
        std::int32_t pins;
    };

    void AddSurface(Surface* surface, Texture* texture, ScreenBuffer* screen, Image* image);
    void AddDrawable(DeviceDrawable* drawable);
    void AddFont(Font* font);
    void AddSprite(Drawable* sprite);
    // Lets go of the entry's surface everywhere, takes its words out of the tables and deletes it.
    void DeleteSurface(const SurfaceEntry& entry);
    void DeleteDrawable(DeviceDrawable* drawable);
    void DeleteFont(Font* font);
    void DeleteSprite(Drawable* sprite);
    void DetachSurface(const SurfaceEntry& entry);
    std::list<SurfaceEntry>::iterator FindSurfaceEntry(const void* face);
    void DeleteEverything(bool includingPinned);
    bool SetPinned(std::uint32_t word, bool pinned);
    void NotifyDeleting(ListedObjectFamily family, const void* object, const void* otherFace);
    std::vector<ObjectDeletionListener*> m_deletionListeners;

    DeviceDrawableList m_drawingList;
    GdiScreen* m_gameImage = nullptr;
    bool m_transferWhole = false;
    std::vector<MonitorModeEntry> m_monitors;
    const MonitorModeEntry* m_currentMonitor = nullptr;
    std::string m_changedDeviceName;
    bool m_displayChanged = false;
    // The mode in force before the device's own change, put back by RestoreDisplaySettings (a
    // reset to the registry's mode would give a Wine virtual desktop the X screen's size).
    DEVMODEA m_modeBefore = {};
    bool m_haveModeBefore = false;
    // A mode was set and its last switch succeeded.
    bool m_modeSet = false;
    // The DirectDraw object was made by ChangeMode (an adopted one stays across switches).
    bool m_ownsDirectDraw = false;
    std::int32_t MakeFullScreenSurfaces(bool direct3DCaps, bool triple);
    std::int32_t MakeWindowSurfaces(bool direct3DCaps);
    // The common end of a switch once the surfaces exist; kScalerFailed when the scaler was
    // wanted and could not be made (the surfaces are released and hardwareCanvasMode cleared).
    static constexpr std::int32_t kScalerFailed = -100;
    std::int32_t FinishSurfaces(bool tryScaler);
    bool WantsScaler();
    HRESULT BlitToPrimary(RECT* dest, RECT* source, DWORD flags);
    // Draws the scaler's texture onto the back surface as the quad.
    HRESULT DrawScalerQuad();
    void WaitForBlank();
    POINT ClientOrigin() const;
    RecursiveLock m_lock;
    std::list<SurfaceEntry> m_surfaces;
    std::list<DrawableEntry> m_drawables;
    std::list<FontEntry> m_fonts;
    std::list<SpriteEntry> m_sprites;

    HandleTable<Surface> m_surfaceHandles;
    HandleTable<Texture> m_textureHandles;
    HandleTable<Image> m_imageHandles;
    HandleTable<ScreenBuffer> m_screenHandles;
    HandleTable<DeviceDrawable> m_drawableHandles;
    HandleTable<Font> m_fontHandles;
    HandleTable<Drawable> m_spriteHandles;
};
