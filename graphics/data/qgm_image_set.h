// The "QGM" image-set file (".GMP"): an optional background picture and a list of further
// pictures with their positions, all named relative to the set file (the file's own path
// without its extension, followed by the stored name). Two loaders read it:
//   QgmSpriteGroup: the background of a Canvas and a Sprite per picture in one of its lists;
//   QgmPartGroup: the background of a UI panel's canvas and an image button or check part per
//   picture on that panel, handed to a part group.
// Pictures and sprites are made through the screen device, which owns them; parts are made by
// the panel, which owns them. The groups only remember them; Release forgets them.
//
// Layout, little-endian: "QGM\0"; k (1 byte) and k bytes of background name (k 0: none); count
// (uint16); count entries. Entry: n (1 byte), n bytes of name (ending early at a zero byte),
// then for sprite sets: sized (1), x, y (int16), alpha, visible (1 each), and only when sized
// is not 0 width, height (int16) and flag (1); for part sets always kind (1), x, y (int16),
// b5, visible (1 each), width, height (int16), b11 (1).
//
// Loading is all or nothing: the file is read through a bounded cursor, and any failure
// releases every picture, sprite and part made so far and leaves the canvas or panel as it
// was. The background is set only once the whole set has been made. Used on the script's
// thread.
#pragma once

#include <cstdint>
#include <vector>

class Canvas;
class Image;
class ScreenDevice;
class Sprite;
class UiPanelServices;
class UiPart;
class UiPartGroup;

#pragma pack(push, 1)
struct QgmEntryInfo {
    std::int16_t width;
    std::int16_t height;
    std::uint8_t flag;
};
#pragma pack(pop)

class QgmSpriteGroup {
public:
    // Load's answers.
    enum : std::int32_t {
        kDone = 0,
        kMissingArgument = 1,
        kFileNotLoaded = 2,
        kBadMagic = 3,
        kBackgroundNotLoaded = 4,
        kPictureNotLoaded = 5,
        // The file ends inside a name, a count's entries or an entry's fields.
        kTruncated = 6,
        kOtherFailure = -1,
    };

    QgmSpriteGroup() = default;
    virtual ~QgmSpriteGroup() { Release(); }
    QgmSpriteGroup(const QgmSpriteGroup&) = delete;
    QgmSpriteGroup& operator=(const QgmSpriteGroup&) = delete;

    // Releases the previous set first. indexed: the background as an 8-bit palette image.
    // toOverlay: the sprites go into the canvas's overlay list (none when it has no overlay),
    // else its own list; all at `priority` (after equal ones, file order kept), tag 0.
    // A path of a picture longer than a path can be fails as that picture (4 or 5).
    std::int32_t Load(ScreenDevice* device, Canvas* canvas, const char* path, std::int32_t priority,
                      bool toOverlay, bool indexed);
    // Forgets the set; the pictures and sprites stay with the screen device.
    void Release();

    Image* Background() const { return m_background; }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_images.size()); }
    Image* ImageAt(std::int32_t i) const { return m_images[i]; }
    Sprite* SpriteAt(std::int32_t i) const { return m_sprites[i]; }
    const QgmEntryInfo& Info(std::int32_t i) const { return m_info[i]; }

private:
    Image* m_background = nullptr;
    std::vector<Image*> m_images;
    std::vector<Sprite*> m_sprites;
    std::vector<QgmEntryInfo> m_info;
};

class QgmPartGroup {
public:
    enum : std::int32_t {
        kDone = 0,
        kMissingArgument = 1,
        kFileNotLoaded = 2,
        kBadMagic = 3,
        kBackgroundNotLoaded = 4,
        kNoScreenDevice = 5,
        // 6 to 11: the part of an entry could not be made, by kind (see PartFactoryOf).
        kBadKind = 12,
        // The file ends inside a name, a count's entries or an entry's fields.
        kTruncated = 13,
        kOtherFailure = -1,
    };

    // How an entry's kind and option byte make its part.
    struct PartFactory {
        bool checkPart;        // NewCheckPart, else NewImageButton
        bool option;
        std::int32_t variant;  // image buttons
        std::int32_t type;     // check parts
        bool grouped;          // check parts led by the first of a run of the same kind
        std::int32_t error;    // Load's answer when the panel refuses the part
    };
    // False for a kind outside 1..9.
    static bool PartFactoryOf(std::uint8_t kind, std::uint8_t b11, PartFactory* out);

    QgmPartGroup() = default;
    virtual ~QgmPartGroup() { Release(); }
    QgmPartGroup(const QgmPartGroup&) = delete;
    QgmPartGroup& operator=(const QgmPartGroup&) = delete;

    // Releases the previous set first. The parts are numbered from firstId on (not at all when
    // it is negative) and appended to partGroup. indexed: style 0 and colour 0xFF00, and the
    // background as an 8-bit palette image; else style 2 and colour -1. A background needs the
    // screen device (5). A path longer than a path can be fails as its picture (4 or the
    // kind's code).
    std::int32_t Load(UiPanelServices* panel, UiPartGroup* partGroup, const char* path, std::int32_t firstId,
                      bool passThrough, bool indexed, ScreenDevice* device);
    // Forgets the set; the parts stay with the panel, the background with the screen device.
    void Release();

    Image* Background() const { return m_background; }
    std::int32_t Count() const { return static_cast<std::int32_t>(m_parts.size()); }
    UiPart* PartAt(std::int32_t i) const { return m_parts[i]; }
    const QgmEntryInfo& Info(std::int32_t i) const { return m_info[i]; }

private:
    Image* m_background = nullptr;
    std::vector<UiPart*> m_parts;
    std::vector<QgmEntryInfo> m_info;
};
