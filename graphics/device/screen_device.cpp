#include "graphics/device/screen_device.h"

#include <algorithm>
#include <new>
#include <utility>

#include "graphics/device/primitive_sprites.h"
#include "graphics/device/state_blocks.h"
#include "graphics/device/surface_sprites.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "graphics/surfaces/frame_surfaces.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/surfaces/texture_image.h"
#include "graphics/surfaces/texture_screen.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/gdi_font.h"
#include "graphics/text/text_bitmap_image.h"
#include "graphics/text/texture_text.h"

bool (*ScreenObjectAllocationGate)() = nullptr;

namespace {

template <class T, class... Args>
T* Allocate(Args&&... args) {
    if (ScreenObjectAllocationGate && !ScreenObjectAllocationGate()) return nullptr;
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

std::uint32_t Word(const void* p) { return HandleTable<Surface>::WordOf(p); }

// Deletes a surface-kind object through its own table.
template <class T>
void Discard(T* object) {
    SurfaceDelete(static_cast<Surface*>(object));
}

}  // namespace

ScreenDevice::ScreenDevice() = default;

ScreenDevice::~ScreenDevice() {
    ReleaseSurfaces();
    m_gameImage = nullptr;
    RestoreDisplaySettings();
    DeleteEverything(true);
    for (FontEntry& e : m_fonts) DeleteFont(e.font);
    m_fonts.clear();
}

// ---------------------------------------------------------------- lists and tables

void ScreenDevice::AddSurface(Surface* surface, Texture* texture, ScreenBuffer* screen, Image* image) {
    surface->SetOwnerKey(objectOwnerKey);
    m_surfaces.push_back(SurfaceEntry{surface, texture, screen, image, 0});
    m_surfaceHandles.Add(surface, objectOwnerKey);
    if (texture) {
        m_surfaceHandles.AddAs(Word(texture), surface, objectOwnerKey);
        m_textureHandles.Add(texture, objectOwnerKey);
        m_textureHandles.AddAs(Word(surface), texture, objectOwnerKey);
    }
    if (screen) {
        m_screenHandles.AddAs(Word(surface), screen, objectOwnerKey);
        if (texture) m_screenHandles.AddAs(Word(texture), screen, objectOwnerKey);
    }
    if (image) m_imageHandles.Add(image, objectOwnerKey);
}

void ScreenDevice::AddDrawable(DeviceDrawable* drawable) {
    drawable->m_ownerKey = objectOwnerKey;
    m_drawables.push_back(DrawableEntry{drawable, 0});
    m_drawableHandles.Add(drawable, objectOwnerKey);
}

void ScreenDevice::AddFont(Font* font) {
    m_fonts.push_back(FontEntry{font, 0});
    m_fontHandles.Add(font);
}

void ScreenDevice::AddSprite(Drawable* sprite) {
    sprite->SetOwnerKey(static_cast<std::int32_t>(spriteOwnerKey));
    m_sprites.push_back(SpriteEntry{sprite, 0});
    m_spriteHandles.Add(sprite, spriteOwnerKey);
}

void ScreenDevice::DetachSurface(const SurfaceEntry& entry) {
    Surface* surface = entry.surface;
    for (SpriteEntry& e : m_sprites) {
        if (e.sprite->Kind() != 0) continue;
        auto* sprite = static_cast<Sprite*>(e.sprite);
        if (sprite->GetImage() != surface) continue;
        // Dirty with its old bounds: the canvas repaints the area the picture covered.
        sprite->Reset();
        sprite->SetDirty(1);
    }
    for (DrawableEntry& e : m_drawables) e.drawable->ForgetSurface(surface, entry.texture);
    for (SurfaceEntry& e : m_surfaces) {
        if (!e.screen || e.surface == surface) continue;
        Canvas* canvas = e.screen->GetCanvas();
        if (!canvas) continue;
        Surface* background = nullptr;
        canvas->GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (background == surface) canvas->SetSource(nullptr, 0, 0, true);
    }
}

void ScreenDevice::NotifyDeleting(ListedObjectFamily family, const void* object, const void* otherFace) {
    // A copy: a listener may come or go while the notice runs.
    const std::vector<ObjectDeletionListener*> listeners = m_deletionListeners;
    for (ObjectDeletionListener* listener : listeners) {
        if (std::find(m_deletionListeners.begin(), m_deletionListeners.end(), listener) != m_deletionListeners.end())
            listener->OnObjectDeleting(family, object, otherFace);
    }
}

void ScreenDevice::AddDeletionListener(ObjectDeletionListener* listener) {
    if (listener && std::find(m_deletionListeners.begin(), m_deletionListeners.end(), listener) == m_deletionListeners.end())
        m_deletionListeners.push_back(listener);
}

void ScreenDevice::RemoveDeletionListener(ObjectDeletionListener* listener) {
    m_deletionListeners.erase(std::remove(m_deletionListeners.begin(), m_deletionListeners.end(), listener),
                              m_deletionListeners.end());
}

void ScreenDevice::DeleteSurface(const SurfaceEntry& entry) {
    NotifyDeleting(ListedObjectFamily::kSurface, entry.surface, entry.texture);
    DetachSurface(entry);
    m_surfaceHandles.Remove(entry.surface);
    m_textureHandles.Remove(entry.surface);
    m_screenHandles.Remove(entry.surface);
    if (entry.texture) {
        m_surfaceHandles.Remove(entry.texture);
        m_textureHandles.Remove(entry.texture);
        m_screenHandles.Remove(entry.texture);
    }
    if (entry.image) m_imageHandles.Remove(entry.image);
    SurfaceDelete(entry.surface);
}

void ScreenDevice::DeleteDrawable(DeviceDrawable* drawable) {
    NotifyDeleting(ListedObjectFamily::kDrawable, drawable, nullptr);
    m_drawableHandles.Remove(drawable);
    delete drawable;
}

void ScreenDevice::DeleteFont(Font* font) {
    NotifyDeleting(ListedObjectFamily::kFont, font, nullptr);
    if (DefaultFont == font) DefaultFont = nullptr;
    for (SurfaceEntry& e : m_surfaces) {
        const SurfaceKind kind = e.surface->Kind();
        if (kind == kSurfaceTextBitmapImage || kind == kSurfaceTextureText)
            static_cast<TextBitmapImage*>(e.surface)->ForgetFont(font);
    }
    m_fontHandles.Remove(font);
    delete font;
}

void ScreenDevice::DeleteSprite(Drawable* sprite) {
    NotifyDeleting(ListedObjectFamily::kSprite, sprite, nullptr);
    m_spriteHandles.Remove(sprite);
    delete sprite;
}

std::list<ScreenDevice::SurfaceEntry>::iterator ScreenDevice::FindSurfaceEntry(const void* face) {
    for (auto it = m_surfaces.begin(); it != m_surfaces.end(); ++it) {
        if (it->surface == face || (it->texture && static_cast<const void*>(it->texture) == face)) return it;
    }
    return m_surfaces.end();
}

Sprite* ScreenDevice::FindSprite(std::uint32_t word) {
    Drawable* found = m_spriteHandles.Find(word);
    return found && found->Kind() == 0 ? static_cast<Sprite*>(found) : nullptr;
}

bool ScreenDevice::Pin(std::uint32_t word) { return SetPinned(word, true); }

bool ScreenDevice::Unpin(std::uint32_t word) { return SetPinned(word, false); }

namespace {
void CountPin(std::int32_t& pins, bool pinned) {
    if (pinned)
        ++pins;
    else if (pins > 0)
        --pins;
}
}  // namespace

bool ScreenDevice::SetPinned(std::uint32_t word, bool pinned) {
    if (word == 0) return false;
    for (SurfaceEntry& e : m_surfaces) {
        if (Word(e.surface) == word || (e.texture && Word(e.texture) == word)) return CountPin(e.pins, pinned), true;
    }
    for (DrawableEntry& e : m_drawables) {
        if (Word(e.drawable) == word) return CountPin(e.pins, pinned), true;
    }
    for (FontEntry& e : m_fonts) {
        if (Word(e.font) == word) return CountPin(e.pins, pinned), true;
    }
    for (SpriteEntry& e : m_sprites) {
        if (Word(e.sprite) == word) return CountPin(e.pins, pinned), true;
    }
    return false;
}

bool ScreenDevice::IsPinned(std::uint32_t word) const {
    if (word == 0) return false;
    for (const SurfaceEntry& e : m_surfaces) {
        if (Word(e.surface) == word || (e.texture && Word(e.texture) == word)) return e.pins > 0;
    }
    for (const DrawableEntry& e : m_drawables) {
        if (Word(e.drawable) == word) return e.pins > 0;
    }
    for (const FontEntry& e : m_fonts) {
        if (Word(e.font) == word) return e.pins > 0;
    }
    for (const SpriteEntry& e : m_sprites) {
        if (Word(e.sprite) == word) return e.pins > 0;
    }
    return false;
}

// ---------------------------------------------------------------- create

namespace {

// Steps 1 to 3 of every create: out null, allocate (allocationCode on failure), initialise
// (the object deleted and the code passed on when that fails).
template <class T, class Make, class Init, class Drop>
std::int32_t MakeObject(T** out, std::int32_t allocationCode, Make make, Init init, Drop drop) {
    *out = nullptr;
    T* object = make();
    if (!object) return allocationCode;
    const std::int32_t code = init(object);
    if (code != 0) {
        drop(object);
        return code;
    }
    *out = object;
    return 0;
}

template <class T>
void DeleteSurfaceKind(T* object) {
    Discard(object);
}

template <class T>
void DeletePlain(T* object) {
    delete object;
}

}  // namespace

std::int32_t ScreenDevice::CreateDirectDrawImage(DirectDrawImage** out, std::int32_t width, std::int32_t height,
                                                 std::uint8_t systemMemory) {
    const std::int32_t code = MakeObject(
        out, 5, [this] { return Allocate<DirectDrawImage>(this); },
        [&](DirectDrawImage* image) { return image->Create(width, height, systemMemory != 0, false, nullptr); },
        DeleteSurfaceKind<DirectDrawImage>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, nullptr);
    return code;
}

std::int32_t ScreenDevice::LoadDirectDrawImage(DirectDrawImage** out, const char* fileName,
                                               const std::uint8_t* data, std::uint32_t size, std::uint8_t flags) {
    const std::int32_t code = MakeObject(
        out, 7, [this] { return Allocate<DirectDrawImage>(this); },
        [&](DirectDrawImage* image) { return image->Load(LoadSource{fileName, data, size, flags}); },
        DeleteSurfaceKind<DirectDrawImage>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, nullptr);
    return code;
}

std::int32_t ScreenDevice::CreateTextBitmap(TextBitmapImage** out, const char* text, Font* font) {
    const std::int32_t code = MakeObject(
        out, 2, [] { return Allocate<TextBitmapImage>(); },
        [&](TextBitmapImage* image) { return image->SetText(text, font); }, DeleteSurfaceKind<TextBitmapImage>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, nullptr);
    return code;
}

std::int32_t ScreenDevice::CreateTextureText(Texture** out, Font* font, const char* text, std::int32_t formatCode) {
    TextureText* made = nullptr;
    *out = nullptr;
    const std::int32_t code = MakeObject(
        &made, 2, [this] { return Allocate<TextureText>(this); },
        [&](TextureText* texture) { return texture->SetText(formatCode, text, font); }, DeleteSurfaceKind<TextureText>);
    if (code != 0) return code;
    AddSurface(made, made, nullptr, nullptr);
    *out = made;
    return 0;
}

std::int32_t ScreenDevice::CreateTextureImage(Texture** out, std::int32_t formatCode, const char* fileName,
                                              const std::uint8_t* data, std::uint32_t size, std::uint8_t flags) {
    TextureImage* made = nullptr;
    *out = nullptr;
    const std::int32_t code = MakeObject(
        &made, 11, [this] { return Allocate<TextureImage>(this); },
        [&](TextureImage* texture) { return texture->Load(formatCode, fileName, data, size, flags != 0); },
        DeleteSurfaceKind<TextureImage>);
    if (code != 0) return code;
    AddSurface(made, made, nullptr, nullptr);
    *out = made;
    return 0;
}

std::int32_t ScreenDevice::CreateDirectDrawScreen(DirectDrawScreen** out, std::int32_t width, std::int32_t height,
                                                  std::uint8_t depth, std::uint8_t withCanvas) {
    const std::int32_t code = MakeObject(
        out, 4, [] { return Allocate<DirectDrawScreen>(); },
        [&](DirectDrawScreen* screen) { return screen->Create(width, height, depth, withCanvas); },
        DeleteSurfaceKind<DirectDrawScreen>);
    if (code == 0) AddSurface(*out, nullptr, *out, nullptr);
    return code;
}

std::int32_t ScreenDevice::CreateTextureScreen(Texture** out, std::int32_t formatCode, std::int32_t width,
                                               std::int32_t height, std::uint8_t depth, std::uint8_t flag,
                                               std::uint32_t systemMemory) {
    TextureScreen* made = nullptr;
    *out = nullptr;
    const std::int32_t code = MakeObject(
        &made, 4, [this] { return Allocate<TextureScreen>(this); },
        [&](TextureScreen* screen) {
            return screen->Create(formatCode, width, height, depth, flag, systemMemory != 0);
        },
        DeleteSurfaceKind<TextureScreen>);
    if (code != 0) return code;
    AddSurface(made, made, made, nullptr);
    *out = made;
    return 0;
}

std::int32_t ScreenDevice::CreateGdiScreen(GdiScreen** out, std::int32_t width, std::int32_t height,
                                           std::uint8_t depth, std::uint8_t canvasMode) {
    const std::int32_t code = MakeObject(
        out, 2, [] { return Allocate<GdiScreen>(); },
        [&](GdiScreen* screen) { return screen->Create(width, height, depth, canvasMode); },
        DeleteSurfaceKind<GdiScreen>);
    if (code == 0) AddSurface(*out, nullptr, *out, nullptr);
    return code;
}

std::int32_t ScreenDevice::CreateGdiScreenSimple(MemoryScreen** out, std::int32_t width, std::int32_t height,
                                                 std::uint8_t depth, std::uint8_t withCanvas) {
    const std::int32_t code = MakeObject(
        out, 2, [] { return Allocate<MemoryScreen>(); },
        [&](MemoryScreen* screen) { return screen->CreateSimple(width, height, depth, withCanvas != 0); },
        DeleteSurfaceKind<MemoryScreen>);
    if (code == 0) AddSurface(*out, nullptr, *out, nullptr);
    return code;
}

std::int32_t ScreenDevice::CreateImage(Image** out, std::int32_t width, std::int32_t height, std::uint8_t depth,
                                       std::uint8_t flags) {
    const std::int32_t code = MakeObject(
        out, 4, [] { return Allocate<Image>(); },
        [&](Image* image) { return image->Create(width, height, depth, flags); }, DeleteSurfaceKind<Image>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, *out);
    return code;
}

std::int32_t ScreenDevice::LoadImage(Image** out, const char* fileName, const std::uint8_t* data,
                                     std::int32_t size, std::uint8_t flags) {
    const std::int32_t code = MakeObject(
        out, 6, [] { return Allocate<Image>(); },
        [&](Image* image) { return image->Load(fileName, data, size, flags); }, DeleteSurfaceKind<Image>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, *out);
    return code;
}

std::int32_t ScreenDevice::LoadIndexedImage(Image** out, const char* fileName, const std::uint8_t* data,
                                            std::int32_t size, std::uint8_t flags) {
    const std::int32_t code = MakeObject(
        out, 6, [] { return Allocate<Image>(); },
        [&](Image* image) { return image->LoadIndexed(fileName, data, size, flags); }, DeleteSurfaceKind<Image>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, *out);
    return code;
}

std::int32_t ScreenDevice::CreateImageFromText(Image** out, const char* text, Font* font, std::uint8_t flags) {
    const std::int32_t code = MakeObject(
        out, 6, [] { return Allocate<Image>(); },
        [&](Image* image) { return image->CreateFromText(text, font, flags); }, DeleteSurfaceKind<Image>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, *out);
    return code;
}

std::int32_t ScreenDevice::CopyImage(Image** out, const Image* source, std::uint8_t flags) {
    const std::int32_t code = MakeObject(
        out, 4, [] { return Allocate<Image>(); },
        [&](Image* image) { return image->CopyFrom(source, flags); }, DeleteSurfaceKind<Image>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, *out);
    return code;
}

std::int32_t ScreenDevice::CreateVideoFrameSurface(VideoFrameSurface** out) {
    const std::int32_t code = MakeObject(
        out, 1, [] { return Allocate<VideoFrameSurface>(); }, [](VideoFrameSurface*) { return 0; },
        DeleteSurfaceKind<VideoFrameSurface>);
    if (code == 0) AddSurface(*out, nullptr, nullptr, nullptr);
    return code;
}

std::int32_t ScreenDevice::CreateSurfaceSprite(SurfaceSprite** out, Surface* image, const RECT* sourceRect,
                                               std::int32_t x, std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 2, []() -> SurfaceSprite* { return Allocate<SurfaceSprite>(); },
        [&](SurfaceSprite* sprite) { return sprite->SetUp(image, sourceRect, x, y); }, DeletePlain<SurfaceSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateSurfaceSpriteEx(SurfaceSprite** out, Surface* image, const RECT* sourceRect,
                                                 std::int32_t x, std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 2, []() -> SurfaceSprite* { return Allocate<SurfaceSpriteEx>(); },
        [&](SurfaceSprite* sprite) { return sprite->SetUp(image, sourceRect, x, y); }, DeletePlain<SurfaceSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateTransitionSprite(TransitionSprite** out, Surface* source, Surface* target,
                                                  std::int32_t routine, std::int32_t x, std::int32_t y,
                                                  std::int32_t progress) {
    const std::int32_t code = MakeObject(
        out, 2, [this] { return Allocate<TransitionSprite>(this); },
        [&](TransitionSprite* sprite) { return sprite->SetUp(source, target, routine, x, y, progress, 0, 0); },
        DeletePlain<TransitionSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateTexturedQuad(TexturedQuadSprite** out, Texture* texture, const RECT* sourceRect,
                                              std::int32_t x, std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 2, []() -> TexturedQuadSprite* { return Allocate<TexturedQuadSprite>(); },
        [&](TexturedQuadSprite* quad) { return quad->SetUp(texture, sourceRect, x, y); },
        DeletePlain<TexturedQuadSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateTexturedQuadEx(TexturedQuadSprite** out, Texture* texture, const RECT* sourceRect,
                                                std::int32_t x, std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 2, []() -> TexturedQuadSprite* { return Allocate<TexturedQuadSpriteEx>(); },
        [&](TexturedQuadSprite* quad) { return quad->SetUp(texture, sourceRect, x, y); },
        DeletePlain<TexturedQuadSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreatePolygon(PolygonSprite** out, std::int32_t count, std::int32_t* xs, std::int32_t* ys,
                                         std::uint32_t colour, std::uint8_t primitiveType, std::uint8_t adoptArrays) {
    *out = nullptr;
    PolygonSprite* polygon = Allocate<PolygonSprite>();
    if (!polygon) {
        // The polygon would have adopted them.
        if (adoptArrays) {
            delete[] xs;
            delete[] ys;
        }
        return 2;
    }
    const std::int32_t code = polygon->SetUp(count, xs, ys, colour, primitiveType, adoptArrays != 0);
    if (code != 0) {
        delete polygon;
        return code;
    }
    AddDrawable(polygon);
    *out = polygon;
    return 0;
}

std::int32_t ScreenDevice::CreateColourRect(ColourRectSprite** out, std::int32_t width, std::int32_t height,
                                            std::uint32_t colour, std::int32_t x, std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 1, [] { return Allocate<ColourRectSprite>(); },
        [&](ColourRectSprite* rect) { return rect->SetUp(width, height, colour, x, y); },
        DeletePlain<ColourRectSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateTriangle(TriangleSprite** out, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                          std::int32_t y2, std::int32_t x3, std::int32_t y3, std::uint32_t colour,
                                          std::int32_t x, std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 2, [] { return Allocate<TriangleSprite>(); },
        [&](TriangleSprite* triangle) { return triangle->SetUp(x1, y1, x2, y2, x3, y3, colour, x, y); },
        DeletePlain<TriangleSprite>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateRenderStateBlock(RenderStateBlock** out) {
    const std::int32_t code = MakeObject(
        out, 1, [] { return Allocate<RenderStateBlock>(); }, [](RenderStateBlock*) { return 0; },
        DeletePlain<RenderStateBlock>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateTextureStageBlock(TextureStageBlock** out) {
    const std::int32_t code = MakeObject(
        out, 1, [] { return Allocate<TextureStageBlock>(); }, [](TextureStageBlock*) { return 0; },
        DeletePlain<TextureStageBlock>);
    if (code == 0) AddDrawable(*out);
    return code;
}

std::int32_t ScreenDevice::CreateGdiFont(Font** out, const char* face, std::int32_t size) {
    const std::int32_t code = MakeObject(
        out, 2, []() -> Font* { return Allocate<GdiFont>(); },
        [&](Font* font) { return font->SetFont(size, false, 0, face); }, DeletePlain<Font>);
    if (code == 0) AddFont(*out);
    return code;
}

std::int32_t ScreenDevice::CreateAntialiasFont(Font** out, const char* face, std::int32_t size) {
    const std::int32_t code = MakeObject(
        out, 2, []() -> Font* { return Allocate<AntialiasFont>(); },
        [&](Font* font) { return font->SetFont(size, false, 0, face); }, DeletePlain<Font>);
    if (code == 0) AddFont(*out);
    return code;
}

std::int32_t ScreenDevice::CreateSprite(Sprite** out, Surface* image, const RECT* sourceRect, std::int32_t x,
                                        std::int32_t y) {
    const std::int32_t code = MakeObject(
        out, 3, [] { return Allocate<Sprite>(); },
        [&](Sprite* sprite) { return sprite->SetImage(image, sourceRect, x, y); }, DeletePlain<Sprite>);
    if (code == 0) AddSprite(*out);
    return code;
}

std::int32_t ScreenDevice::CreateFillRectSprite(FillRectSprite** out, std::int32_t x, std::int32_t y,
                                                std::uint32_t colour, std::int32_t width, std::int32_t height) {
    const std::int32_t code = MakeObject(
        out, 1, [] { return Allocate<FillRectSprite>(); },
        [&](FillRectSprite* sprite) { return sprite->Setup(width, height, colour, x, y); },
        DeletePlain<FillRectSprite>);
    if (code == 0) AddSprite(*out);
    return code;
}

std::int32_t ScreenDevice::CloneSprite(Sprite** out, const Sprite* source) {
    const std::int32_t code = MakeObject(
        out, 2, [] { return Allocate<Sprite>(); }, [&](Sprite* sprite) { return sprite->CopyFrom(source); },
        DeletePlain<Sprite>);
    if (code == 0) AddSprite(*out);
    return code;
}

// ---------------------------------------------------------------- release

std::int32_t ScreenDevice::ReleaseImage(const void* surface) {
    if (!surface) return 1;
    const auto it = FindSurfaceEntry(surface);
    if (it == m_surfaces.end()) return 2;
    if (it->pins > 0) return 3;
    const SurfaceEntry entry = *it;
    m_surfaces.erase(it);
    DeleteSurface(entry);
    return 0;
}

std::int32_t ScreenDevice::ReleaseImageRef(Surface** surface) {
    const std::int32_t code = ReleaseImage(*surface);
    if (code == 0) *surface = nullptr;
    return code;
}

std::int32_t ScreenDevice::ReleaseDrawable(DeviceDrawable* drawable) {
    if (!drawable) return 1;
    for (auto it = m_drawables.begin(); it != m_drawables.end(); ++it) {
        if (it->drawable != drawable) continue;
        if (it->pins > 0) return 3;
        m_drawables.erase(it);
        DeleteDrawable(drawable);
        return 0;
    }
    return 2;
}

std::int32_t ScreenDevice::ReleaseFont(Font** font) {
    if (!*font) return 1;
    for (auto it = m_fonts.begin(); it != m_fonts.end(); ++it) {
        if (it->font != *font) continue;
        if (it->pins > 0) return 3;
        m_fonts.erase(it);
        DeleteFont(*font);
        *font = nullptr;
        return 0;
    }
    return 2;
}

std::int32_t ScreenDevice::ReleaseSprite(Drawable* sprite) {
    if (!sprite) return 1;
    for (auto it = m_sprites.begin(); it != m_sprites.end(); ++it) {
        if (it->sprite != sprite) continue;
        if (it->pins > 0) return 3;
        m_sprites.erase(it);
        DeleteSprite(sprite);
        return 0;
    }
    return 2;
}

std::int32_t ScreenDevice::ReleaseSpriteRef(Drawable** sprite) {
    const std::int32_t code = ReleaseSprite(*sprite);
    if (code == 0) *sprite = nullptr;
    return code;
}

void ScreenDevice::ReleaseDrawablesByOwner(std::uint32_t key, std::uint8_t flags) {
    const bool invert = (flags & 2) != 0;
    for (auto it = m_drawables.begin(); it != m_drawables.end();) {
        if (it->pins == 0 && (it->drawable->m_ownerKey == key) != invert) {
            DeviceDrawable* drawable = it->drawable;
            it = m_drawables.erase(it);
            DeleteDrawable(drawable);
        } else {
            ++it;
        }
    }
    if (!(flags & 1)) return;
    for (auto it = m_surfaces.begin(); it != m_surfaces.end();) {
        if (it->pins == 0 && (it->surface->OwnerKey() == key) != invert) {
            const SurfaceEntry entry = *it;
            it = m_surfaces.erase(it);
            DeleteSurface(entry);
        } else {
            ++it;
        }
    }
}

void ScreenDevice::ReleaseSpritesByOwner(std::uint32_t key, std::uint8_t invert) {
    for (auto it = m_sprites.begin(); it != m_sprites.end();) {
        if (it->pins == 0 && (static_cast<std::uint32_t>(it->sprite->OwnerKey()) == key) != (invert != 0)) {
            Drawable* sprite = it->sprite;
            it = m_sprites.erase(it);
            DeleteSprite(sprite);
        } else {
            ++it;
        }
    }
}

void ScreenDevice::ReleaseAllFonts() {
    for (auto it = m_fonts.begin(); it != m_fonts.end();) {
        if (it->pins > 0) {
            ++it;
            continue;
        }
        Font* font = it->font;
        it = m_fonts.erase(it);
        DeleteFont(font);
    }
}

void ScreenDevice::ReleaseAllSprites() {
    for (auto it = m_sprites.begin(); it != m_sprites.end();) {
        if (it->pins > 0) {
            ++it;
            continue;
        }
        Drawable* sprite = it->sprite;
        it = m_sprites.erase(it);
        DeleteSprite(sprite);
    }
}

void ScreenDevice::DeleteEverything(bool includingPinned) {
    for (auto it = m_drawables.begin(); it != m_drawables.end();) {
        if (it->pins > 0 && !includingPinned) {
            ++it;
            continue;
        }
        DeviceDrawable* drawable = it->drawable;
        it = m_drawables.erase(it);
        DeleteDrawable(drawable);
    }
    for (auto it = m_sprites.begin(); it != m_sprites.end();) {
        if (it->pins > 0 && !includingPinned) {
            ++it;
            continue;
        }
        Drawable* sprite = it->sprite;
        it = m_sprites.erase(it);
        DeleteSprite(sprite);
    }
    for (auto it = m_surfaces.begin(); it != m_surfaces.end();) {
        if (it->pins > 0 && !includingPinned) {
            ++it;
            continue;
        }
        const SurfaceEntry entry = *it;
        it = m_surfaces.erase(it);
        DeleteSurface(entry);
    }
    m_drawingList.Clear();
}

void ScreenDevice::DestroyAllObjects() { DeleteEverything(false); }

std::int32_t ScreenDevice::RestoreObjects(bool onlyIfLost) {
    // One surface that cannot be rebuilt (a file gone) must not leave every later one broken.
    std::int32_t first = 0;
    for (SurfaceEntry& e : m_surfaces) {
        const std::int32_t code = e.surface->Restore(onlyIfLost);
        if (code != 0 && first == 0) first = code;
    }
    const std::int32_t states = ReapplyStates();
    if (states != 0 && first == 0) first = states;
    const std::int32_t drawables = m_drawingList.RestoreAll();
    if (drawables != 0 && first == 0) first = drawables;
    return first;
}
