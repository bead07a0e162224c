#include "graphics/data/qgm_image_set.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <string>

#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/util/byte_cursor.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "scenario/interfaces/ui_panel_services.h"

namespace {

// One entry as the file holds it, read in full before anything is made.
struct QgmEntry {
    char name[256];
    std::uint8_t mode;  // sprite sets: sized; part sets: kind
    std::int16_t x;
    std::int16_t y;
    std::uint8_t b5;  // sprite sets: alpha
    std::uint8_t visible;
    std::int16_t width;
    std::int16_t height;
    std::uint8_t b11;  // sprite sets: flag
};

bool ReadI16(ByteCursor& in, std::int16_t& value) {
    std::uint8_t bytes[2];
    if (!in.ReadBytes(bytes, 2)) return false;
    value = static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

// n bytes of name, ending early at a zero byte.
bool ReadName(ByteCursor& in, char* out, std::uint8_t* length = nullptr) {
    std::uint8_t n = 0;
    if (!in.ReadU8(n) || !in.ReadBytes(out, n)) return false;
    out[n] = '\0';
    if (length) *length = n;
    return true;
}

// The parsed set: 0, 3 bad magic, or `truncated` when a field lies past the end.
struct QgmFile {
    char background[256];
    std::uint8_t backgroundLength;  // 0: no background
    std::vector<QgmEntry> entries;
};

std::int32_t ParseSet(const std::uint8_t* data, std::uint32_t size, bool partSet, std::int32_t truncated,
                      QgmFile& file) {
    ByteCursor in(static_cast<const void*>(data), size);
    char magic[4];
    if (!in.ReadBytes(magic, 4)) return truncated;
    if (std::memcmp(magic, "QGM\0", 4) != 0) return 3;
    if (!ReadName(in, file.background, &file.backgroundLength)) return truncated;
    std::uint8_t countBytes[2];
    if (!in.ReadBytes(countBytes, 2)) return truncated;
    const std::uint32_t count = countBytes[0] | (countBytes[1] << 8);
    // Every entry takes at least 8 bytes: a count the bytes left cannot hold is refused before
    // anything is reserved.
    if (count > in.Remaining() / 8) return truncated;
    try {
        file.entries.resize(count);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    for (QgmEntry& e : file.entries) {
        if (!ReadName(in, e.name) || !in.ReadU8(e.mode) || !ReadI16(in, e.x) || !ReadI16(in, e.y) ||
            !in.ReadU8(e.b5) || !in.ReadU8(e.visible))
            return truncated;
        e.width = e.height = 0;
        e.b11 = 1;
        if ((partSet || e.mode != 0) && (!ReadI16(in, e.width) || !ReadI16(in, e.height) || !in.ReadU8(e.b11)))
            return truncated;
    }
    return 0;
}

// Loads the whole file and parses it; the set file's path without its extension goes to stem.
std::int32_t ReadSetFile(const char* path, bool partSet, std::int32_t truncated, QgmFile& file,
                         char (&stem)[kPathCapacity]) {
    FileStream stream;
    if (stream.LoadFile(path) != 0) return 2;
    const char* const name = stream.FileName();
    const std::size_t length = std::strlen(name);
    if (length >= kPathCapacity) return 2;
    std::memcpy(stem, name, length + 1);
    StripExtension(stem, nullptr);
    return ParseSet(static_cast<const std::uint8_t*>(stream.Data()), static_cast<std::uint32_t>(stream.Size()),
                    partSet, truncated, file);
}

// stem + name into out; false when the path would be longer than a path can be.
bool PicturePath(const char* stem, const char* name, char (&out)[kPathCapacity]) {
    std::strcpy(out, stem);
    return AppendToPath(out, name);
}

std::int32_t LoadBackground(ScreenDevice* device, const char* stem, const char* name, bool indexed,
                            Image** out) {
    char picture[kPathCapacity];
    *out = nullptr;
    if (!PicturePath(stem, name, picture)) return 4;
    const std::int32_t code = indexed ? device->LoadIndexedImage(out, picture, nullptr, 0, 0)
                                      : device->LoadImage(out, picture, nullptr, 0, 0);
    if (code != 0 || !*out) {
        *out = nullptr;
        return 4;
    }
    return 0;
}

}  // namespace

// --- QgmSpriteGroup ---

void QgmSpriteGroup::Release() {
    m_background = nullptr;
    m_images.clear();
    m_sprites.clear();
    m_info.clear();
}

std::int32_t QgmSpriteGroup::Load(ScreenDevice* device, Canvas* canvas, const char* path, std::int32_t priority,
                                  bool toOverlay, bool indexed) {
    Release();
    if (!device || !canvas || !path) return kMissingArgument;
    QgmFile file;
    char stem[kPathCapacity];
    std::int32_t code = ReadSetFile(path, false, kTruncated, file, stem);
    if (code != 0) return code;

    Image* background = nullptr;
    // Everything made so far goes again on failure, newest first.
    auto rollBack = [&](std::int32_t failure) {
        for (std::size_t i = m_sprites.size(); i-- > 0;) device->ReleaseSprite(m_sprites[i]);
        for (std::size_t i = m_images.size(); i-- > 0;) device->ReleaseImage(m_images[i]);
        if (background) device->ReleaseImage(background);
        Release();
        return failure;
    };
    if (file.backgroundLength != 0) {
        code = LoadBackground(device, stem, file.background, indexed, &background);
        if (code != 0) return rollBack(code);
    }
    SpriteList* list = toOverlay ? canvas->Overlay() : &canvas->Sprites();
    try {
        m_images.reserve(file.entries.size());
        m_sprites.reserve(file.entries.size());
        m_info.reserve(file.entries.size());
    } catch (const std::bad_alloc&) {
        return rollBack(kOtherFailure);
    }
    for (const QgmEntry& e : file.entries) {
        char picture[kPathCapacity];
        Image* image = nullptr;
        if (!PicturePath(stem, e.name, picture) || device->LoadImage(&image, picture, nullptr, 0, 0) != 0 || !image)
            return rollBack(kPictureNotLoaded);
        m_images.push_back(image);
        const bool sized = e.mode != 0;
        const RECT shown = {0, 0, sized ? e.width : image->Width(), sized ? e.height : image->Height()};
        m_info.push_back(QgmEntryInfo{static_cast<std::int16_t>(shown.right), static_cast<std::int16_t>(shown.bottom),
                                      sized ? e.b11 : static_cast<std::uint8_t>(1)});
        Sprite* sprite = nullptr;
        if (device->CreateSprite(&sprite, image, &shown, e.x, e.y) != 0 || !sprite) return rollBack(kOtherFailure);
        m_sprites.push_back(sprite);
        sprite->SetAlpha(e.b5);
        sprite->SetVisible(e.visible);
        if (list && list->AddAfterEquals(sprite, static_cast<std::uint32_t>(priority), 0) != 0)
            return rollBack(kOtherFailure);
    }
    if (background) canvas->SetSource(background, 0, 0, true);
    m_background = background;
    return kDone;
}

// --- QgmPartGroup ---

bool QgmPartGroup::PartFactoryOf(std::uint8_t kind, std::uint8_t b11, PartFactory* out) {
    switch (kind) {
        case 1:
        case 2: *out = {false, b11 == 4, 1, 0, false, 6}; return true;
        case 3: *out = {false, b11 == 3, 0, 0, false, 7}; return true;
        case 4: *out = {true, b11 == 8, 0, 0, false, 8}; return true;
        case 5: *out = {true, b11 == 8, 0, 1, false, 9}; return true;
        case 6:
        case 8: *out = {true, b11 == 6, 0, 2, true, 10}; return true;
        case 7:
        case 9: *out = {true, b11 == 5, 0, 3, true, 11}; return true;
        default: return false;
    }
}

void QgmPartGroup::Release() {
    m_background = nullptr;
    m_parts.clear();
    m_info.clear();
}

std::int32_t QgmPartGroup::Load(UiPanelServices* panel, UiPartGroup* partGroup, const char* path,
                                std::int32_t firstId, bool passThrough, bool indexed, ScreenDevice* device) {
    Release();
    if (!panel || !partGroup || !path) return kMissingArgument;
    QgmFile file;
    char stem[kPathCapacity];
    std::int32_t code = ReadSetFile(path, true, kTruncated, file, stem);
    if (code != 0) return code;

    Image* background = nullptr;
    auto rollBack = [&](std::int32_t failure) {
        for (std::size_t i = m_parts.size(); i-- > 0;) panel->RemovePart(m_parts[i]);
        if (background) device->ReleaseImage(background);
        Release();
        return failure;
    };
    if (file.backgroundLength != 0) {
        if (!device) return rollBack(kNoScreenDevice);
        code = LoadBackground(device, stem, file.background, indexed, &background);
        if (code != 0) return rollBack(code);
    }
    try {
        m_parts.reserve(file.entries.size());
        m_info.reserve(file.entries.size());
    } catch (const std::bad_alloc&) {
        return rollBack(kOtherFailure);
    }
    const std::int32_t style = indexed ? 0 : 2;
    const std::uint32_t colour = indexed ? 0xFF00u : 0xFFFFFFFFu;
    UiPart* leader = nullptr;
    std::int32_t previousKind = -1;
    for (const QgmEntry& e : file.entries) {
        PartFactory factory;
        if (!PartFactoryOf(e.mode, e.b11, &factory)) return rollBack(kBadKind);
        if (factory.grouped && e.mode != previousKind) leader = nullptr;
        char picture[kPathCapacity];
        if (!PicturePath(stem, e.name, picture)) return rollBack(factory.error);
        UiPart* part = nullptr;
        const std::int32_t made =
            factory.checkPart
                ? panel->NewCheckPart(&part, e.x, e.y, picture, factory.type, factory.option,
                                      factory.grouped ? leader : nullptr, style, e.b5, colour, -1, passThrough)
                : panel->NewImageButton(&part, e.x, e.y, picture, factory.option, factory.variant, style, e.b5,
                                        colour, -1, passThrough);
        if (made != 0 || !part) return rollBack(factory.error);
        m_parts.push_back(part);
        if (factory.grouped && e.mode != previousKind) leader = part;
        previousKind = e.mode;
        m_info.push_back(QgmEntryInfo{e.width, e.height, e.b11});
        panel->SetVisible(part, e.visible != 0);
        if (panel->InsertPart(partGroup, part, -1) != 0) return rollBack(kOtherFailure);
        if (firstId >= 0) panel->SetId(part, firstId++);
    }
    if (background) {
        if (Canvas* canvas = panel->PanelCanvas()) canvas->SetSource(background, 0, 0, true);
    }
    m_background = background;
    return kDone;
}
