// The parts-definition reader of SpritePartsEffect. A definition is read twice from the loaded
// file: the first pass opens the parts (images, sprites, loops) and counts their records, the
// second writes the records of the animated parts and places each part at its first key.
//
//     // comment                     (also empty lines)
//     * name                         an animated part; its image lies beside the definition
//     $ name, x, y, window, opacity, direction, period     a looped part (its lines ignored)
//     #s ... #e                      read only with the loop flag
//     #n                             the rest of the part's lines are ignored
//     a [exponent]  b  f  c [x][, y]  r min, max  s [n]  t n     records
//     l [x][, y][, base x][, base y] bounces for the next key line
//     [x][, y][, opacity][, zoom][, rotation]                    a key line
//
// Commands are known by their first letter, the rest of the word is skipped. A key field left
// empty keeps the part's last value; a field that is no number ends the fields (the rest are
// taken as empty), so that a note after the numbers does not cost the figure.
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "effects/objects/sprite_loop_effect.h"
#include "effects/objects/sprite_parts_effect.h"
#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/files/shift_jis.h"
#include "framework/util/arg_tokenizer.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"

namespace {

// 1023 characters and the terminator.
constexpr std::uint32_t kLineCapacity = 1024;

enum class LineKind { kNothing, kAnimated, kLooped, kSkipFrom, kSkipTo, kNoMore, kCommand,
                      kBounce, kKey };

struct Line {
    LineKind kind;
    char letter;
    // Where the fields begin (after the command word, after '*' or '$').
    const char* rest;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

Line Classify(const char* text) {
    const char* p = text;
    while (IsBlank(*p)) ++p;
    if (*p == '\0' || (p[0] == '/' && p[1] == '/')) return {LineKind::kNothing, 0, p};
    switch (*p) {
    case '*': return {LineKind::kAnimated, '*', p + 1};
    case '$': return {LineKind::kLooped, '$', p + 1};
    case '#':
        switch (p[1]) {
        case 's': return {LineKind::kSkipFrom, 's', p};
        case 'e': return {LineKind::kSkipTo, 'e', p};
        case 'n': return {LineKind::kNoMore, 'n', p};
        default: return {LineKind::kNothing, 0, p};
        }
    case 'a': case 'b': case 'c': case 'f': case 'r': case 's': case 't': case 'l': {
        ArgTokenizer word(p);
        word.SkipWord();
        return {*p == 'l' ? LineKind::kBounce : LineKind::kCommand, *p, word.Cursor()};
    }
    default: return {LineKind::kKey, 0, p};
    }
}

// The block and part rules that both passes apply alike: lines of a "#s" block without the
// loop flag, after "#n" and inside a looped part count as nothing.
class LineFilter {
public:
    explicit LineFilter(bool loop) : m_loop(loop) {}

    Line Next(const char* text) {
        const Line line = Classify(text);
        const Line nothing = {LineKind::kNothing, 0, line.rest};
        if (m_skipping) {
            if (line.kind == LineKind::kSkipTo) m_skipping = false;
            return nothing;
        }
        if (line.kind == LineKind::kAnimated || line.kind == LineKind::kLooped) {
            m_ignoring = line.kind == LineKind::kLooped;
            return line;
        }
        if (m_ignoring) return nothing;
        switch (line.kind) {
        case LineKind::kSkipFrom:
            m_skipping = !m_loop;
            return nothing;
        case LineKind::kNoMore:
            m_ignoring = true;
            return nothing;
        case LineKind::kSkipTo: return nothing;
        default: return line;
        }
    }

private:
    bool m_loop;
    bool m_skipping = false;
    bool m_ignoring = false;
};

// The next line of the file into buffer: 1, 0 at the end, -1 a line that does not fit.
int NextLine(FileStream& file, char* buffer) {
    const std::uint32_t needed = file.ReadLine(nullptr, 0);
    if (needed == 0) return 0;
    if (needed > kLineCapacity) return -1;
    return file.ReadLine(buffer, kLineCapacity) == 0 ? -1 : 1;
}

// Reads comma- or blank-separated fields one at a time. A field is empty when a comma comes
// first or the line has ended; a field that is no number ends the reading.
class FieldReader {
public:
    explicit FieldReader(const char* text) : m_p(text) {}

    // true with the value, false for an empty field.
    bool Integer(std::int32_t* value) {
        if (!Begin()) return false;
        ArgTokenizer number(m_p);
        if (number.ReadInteger(value) != 0) return Stop();
        m_p = number.Cursor();
        End();
        return true;
    }
    bool Real(double* value) {
        if (!Begin()) return false;
        ArgTokenizer number(m_p);
        if (number.ReadDouble(value) != 0) return Stop();
        m_p = number.Cursor();
        End();
        return true;
    }

private:
    // False when the field is empty (its comma is passed).
    bool Begin() {
        if (m_stopped) return false;
        while (IsBlank(*m_p)) ++m_p;
        if (*m_p == ',') {
            ++m_p;
            return false;
        }
        return *m_p != '\0';
    }
    void End() {
        while (IsBlank(*m_p)) ++m_p;
        if (*m_p == ',') ++m_p;
    }
    bool Stop() {
        m_stopped = true;
        return false;
    }

    const char* m_p;
    bool m_stopped = false;
};

std::int32_t Scaled(std::int32_t value, double scale) {
    return SaturateToInt32(static_cast<double>(value) * scale);
}

// The folder part of a path ("SYS/" of "SYS/CA001.TXT"), Shift-JIS pairs kept whole so that a
// second byte 0x5C is no separator; empty without one.
std::size_t FolderLength(const char* path) {
    std::size_t folder = 0;
    for (std::size_t i = 0; path[i] != '\0';) {
        if (IsShiftJisLeadByte(static_cast<unsigned char>(path[i])) && path[i + 1] != '\0') {
            i += 2;
            continue;
        }
        if (path[i] == '/' || path[i] == '\\') folder = i + 1;
        ++i;
    }
    return folder;
}

// Loads a part image, scaled when the scale is not 1 into a new 32-bit image of at least 8 x 8
// pixels. 0; 1 a scaled size beyond what an image can have; 3 it cannot be loaded or made.
std::int32_t LoadPartImage(SpritePartsObjects* objects, const char* path, double scale,
                           Image** out) {
    Image* loaded = objects->NewImage();
    if (!loaded) return 3;
    if (loaded->Load(path, nullptr, 0, 0) != 0 || !loaded->Bits()) {
        objects->DeleteImage(loaded);
        return 3;
    }
    if (scale == 1.0) {
        *out = loaded;
        return 0;
    }
    constexpr double kLargest = std::numeric_limits<std::int32_t>::max();
    const double width = std::trunc(loaded->Width() * scale);
    const double height = std::trunc(loaded->Height() * scale);
    if (!(width <= kLargest) || !(height <= kLargest)) {
        objects->DeleteImage(loaded);
        return 1;
    }
    const SIZE size = {width < 8 ? 8 : static_cast<std::int32_t>(width),
                       height < 8 ? 8 : static_cast<std::int32_t>(height)};
    Image* scaled = objects->NewImage();
    std::int32_t code = scaled ? scaled->Create(size.cx, size.cy, 32, 0) : 2;
    if (code == 0 && scaled->StretchBlit(loaded, &size, 0, 0, nullptr, false) != 0) code = 2;
    if (code != 0) {
        if (scaled) objects->DeleteImage(scaled);
        objects->DeleteImage(loaded);
        return code == 1 ? 1 : 3;
    }
    scaled->SetHasAlpha(loaded->HasAlpha());
    scaled->SetOriginX(SaturateToInt32(loaded->OriginX() * scale));
    scaled->SetOriginY(SaturateToInt32(loaded->OriginY() * scale));
    objects->DeleteImage(loaded);
    *out = scaled;
    return 0;
}

// What the second pass carries through one part.
struct PartWriter {
    SpritePart* part = nullptr;
    bool animated = false;
    std::int32_t x = 0, y = 0;
    std::uint8_t opacity = 255;
    double zoom = 1.0, rotation = 0.0;
    std::int32_t pivotX = 0, pivotY = 0;
    std::int32_t bounce[4] = {0, 0, 0, 0};
    std::int32_t keys = 0;
    std::int32_t written = 0;

    void Emit(const MotionRecord& record) {
        if (part->m_records && written < part->m_recordCount) part->m_records[written] = record;
        ++written;
    }
};

MotionRecord Blank(std::uint8_t kind) {
    MotionRecord record = {};
    record.kind = kind;
    return record;
}

}  // namespace

std::int32_t SpritePartsEffect::LoadDefinition(const char* file, Canvas* canvas0,
                                               std::int32_t x, std::int32_t y,
                                               std::int32_t priority, bool loop, double scale,
                                               Canvas* canvas1, std::int32_t* line) {
    std::int32_t lineNumber = 0;
    auto stop = [&](std::int32_t code, std::int32_t at) {
        if (line) *line = at;
        return code;
    };
    if (line) *line = 0;
    if (!m_parts.empty()) return -1;
    if (!canvas0 || !std::isfinite(scale) || !(scale > 0.0)) return 1;
    if (!file) return 2;
    FileStream stream;
    if (stream.LoadFile(file) != 0) return 2;

    SpritePartsObjects* objects = PartsObjects();
    Canvas* canvases[2] = {canvas0, canvas1};
    const int canvasCount = canvas1 ? 2 : 1;
    const std::size_t folder = FolderLength(file);
    char text[kLineCapacity];
    std::deque<std::unique_ptr<SpritePart>> built;
    std::unique_ptr<SpritePart> open;
    auto current = static_cast<std::uint32_t>(priority);

    // Pass 1: the parts with their pictures and sprites, and the record counts.
    LineFilter counting(loop);
    for (int got; (got = NextLine(stream, text)) != 0;) {
        ++lineNumber;
        if (got < 0) return stop(-1, lineNumber);
        const Line l = counting.Next(text);
        switch (l.kind) {
        case LineKind::kAnimated:
        case LineKind::kLooped: {
            if (open) built.push_back(std::move(open));
            open.reset(new (std::nothrow) SpritePart(objects));
            if (!open) return stop(-1, lineNumber);
            open->m_line = lineNumber;
            ArgTokenizer words(l.rest);
            words.SkipSeparators();
            char name[kPathCapacity];
            if (folder >= kPathCapacity || words.ReadWord(name, kPathCapacity) != 0)
                return stop(3, lineNumber);
            char path[kPathCapacity];
            const std::size_t nameLength = std::strlen(name);
            if (folder + nameLength >= kPathCapacity) return stop(3, lineNumber);
            std::memcpy(path, file, folder);
            std::memcpy(path + folder, name, nameLength + 1);
            if (std::int32_t code = LoadPartImage(objects, path, scale, &open->m_image))
                return stop(code, lineNumber);
            Image* image = open->m_image;
            open->m_pivotX = image->Width() >> 1;
            open->m_pivotY = image->Height() >> 1;
            if (l.kind == LineKind::kAnimated) {
                for (int n = 0; n < canvasCount; ++n) {
                    Sprite* sprite = objects->NewSprite();
                    open->m_sprite[n] = sprite;
                    if (!sprite || sprite->SetImage(image, nullptr, 0, 0) != 0)
                        return stop(3, lineNumber);
                    sprite->SetFilter(1);
                    if (canvases[n]->Sprites().Add(sprite, current, 0) != 0)
                        return stop(3, lineNumber);
                }
            } else {
                // The comma after the name separates it from the first field.
                const char* after = words.Cursor();
                while (IsBlank(*after)) ++after;
                if (*after == ',') ++after;
                FieldReader fields(after);
                std::int32_t lx = 0, ly = 0, window = 0, opacity = 255, direction = 0,
                             period = 2000;
                fields.Integer(&lx);
                fields.Integer(&ly);
                const bool hasWindow = fields.Integer(&window);
                fields.Integer(&opacity);
                fields.Integer(&direction);
                fields.Integer(&period);
                // The window is a length in the picture, which the scale has resized.
                if (hasWindow && window > 0) {
                    window = Scaled(window, scale);
                    if (window < 1) window = 1;
                }
                const std::int32_t px = SaturateToInt32(static_cast<double>(lx) * scale +
                                                        image->OriginX() + x);
                const std::int32_t py = SaturateToInt32(static_cast<double>(ly) * scale +
                                                        image->OriginY() + y);
                open->m_recordCount = -1;
                for (int n = 0; n < canvasCount; ++n) {
                    SpriteLoopEffect* scroll = new (std::nothrow) SpriteLoopEffect;
                    open->m_loop[n] = scroll;
                    if (!scroll ||
                        scroll->Place(canvases[n], image, px, py, window,
                                      static_cast<std::uint8_t>(opacity),
                                      static_cast<std::int32_t>(current),
                                      static_cast<std::uint8_t>(direction),
                                      static_cast<std::uint32_t>(period), 0) != 0) {
                        return stop(3, lineNumber);
                    }
                    if (!m_show[n]) {
                        const std::int32_t hide[] = {1, 0};
                        scroll->ChangeParams(hide);
                    }
                }
            }
            --current;
            break;
        }
        case LineKind::kCommand:
        case LineKind::kBounce:
            if (!open) return stop(4, lineNumber);
            if (l.kind == LineKind::kCommand) ++open->m_recordCount;
            break;
        case LineKind::kKey:
            if (!open) return stop(5, lineNumber);
            ++open->m_recordCount;
            ++open->m_keyCount;
            break;
        default: break;
        }
    }
    if (!open) return stop(6, lineNumber);
    built.push_back(std::move(open));
    for (const std::unique_ptr<SpritePart>& part : built) {
        if (part->m_recordCount < 0) continue;
        if (part->m_keyCount == 0) return stop(7, part->m_line);
        if (!part->Moves()) continue;
        part->m_records.reset(new (std::nothrow) MotionRecord[part->m_recordCount]());
        if (!part->m_records) return stop(-1, part->m_line);
    }

    // Pass 2: the records, and each part placed at its first key.
    if (stream.SeekSet(0) != 0) return stop(-1, lineNumber);
    const std::int32_t lines = lineNumber;
    lineNumber = 0;
    LineFilter writing(loop);
    PartWriter w;
    std::size_t next = 0;
    for (int got; (got = NextLine(stream, text)) != 0;) {
        ++lineNumber;
        if (got < 0 || lineNumber > lines) return stop(-1, lineNumber);
        const Line l = writing.Next(text);
        if (l.kind == LineKind::kAnimated || l.kind == LineKind::kLooped) {
            if (next >= built.size()) return stop(-1, lineNumber);
            if (w.part && w.animated && w.part->m_records && w.written != w.part->m_recordCount)
                return stop(-1, lineNumber);
            w = PartWriter();
            w.part = built[next++].get();
            w.animated = l.kind == LineKind::kAnimated;
            Image* image = w.part->m_image;
            w.x = SaturateToInt32(std::int64_t{image->OriginX()} + x);
            w.y = SaturateToInt32(std::int64_t{image->OriginY()} + y);
            w.pivotX = w.part->m_pivotX;
            w.pivotY = w.part->m_pivotY;
            continue;
        }
        if (l.kind == LineKind::kNothing) continue;
        if (!w.part || !w.animated) return stop(-1, lineNumber);
        SpritePart& part = *w.part;
        FieldReader fields(l.rest);
        if (l.kind == LineKind::kBounce) {
            for (std::int32_t& value : w.bounce) {
                value = 0;
                if (fields.Integer(&value)) value = Scaled(value, scale);
            }
            continue;
        }
        if (l.kind == LineKind::kCommand) {
            if (w.keys == 0) return stop(10, lineNumber);
            MotionRecord record = Blank(kMotionDuration);
            std::int32_t n = 0, m = 0;
            double real = 0.0;
            switch (l.letter) {
            case 'a':
                record.kind = kMotionEasing;
                if (fields.Real(&real)) {
                    if (!std::isfinite(real)) return stop(-1, lineNumber);
                    record.byte = 1;
                    record.zoom = real;
                }
                break;
            case 'b': record.kind = kMotionPriorityB; break;
            case 'f': record.kind = kMotionPriorityA; break;
            case 'c':
                if (fields.Integer(&n)) w.pivotX = Scaled(n, scale);
                if (fields.Integer(&m)) w.pivotY = Scaled(m, scale);
                record.kind = kMotionPivot;
                record.a = w.pivotX;
                record.b = w.pivotY;
                break;
            case 'r':
                if (!fields.Integer(&n) || !fields.Integer(&m)) return stop(8, lineNumber);
                record.kind = kMotionRandomDuration;
                record.a = n;
                record.b = SaturateToInt32(std::int64_t{m} - n + 1);
                break;
            case 's':
                if (fields.Integer(&n) && n == 0) {
                    record.kind = kMotionSplineOff;
                } else {
                    record.kind = kMotionSplineOn;
                    part.m_splineUsed = true;
                }
                break;
            default:  // 't'
                if (!fields.Integer(&n)) return stop(8, lineNumber);
                if (n == 0) return stop(9, lineNumber);
                record.a = n;
                break;
            }
            w.Emit(record);
            continue;
        }
        // A key line.
        Image* image = part.m_image;
        std::int32_t n = 0;
        double real = 0.0;
        if (fields.Integer(&n))
            w.x = SaturateToInt32(static_cast<double>(n) * scale + image->OriginX() + x);
        if (fields.Integer(&n))
            w.y = SaturateToInt32(static_cast<double>(n) * scale + image->OriginY() + y);
        if (fields.Integer(&n)) w.opacity = static_cast<std::uint8_t>(n);
        if (fields.Real(&real)) {
            if (!std::isfinite(real)) return stop(-1, lineNumber);
            w.zoom = real == 0.0 ? 1.0 : real;
            part.m_zoomUsed = true;
            if (w.zoom > part.m_largestZoom) part.m_largestZoom = w.zoom;
            part.m_pivotX = w.pivotX;
            part.m_pivotY = w.pivotY;
        }
        if (fields.Real(&real)) {
            if (!std::isfinite(real)) return stop(-1, lineNumber);
            w.rotation = real;
            part.m_rotationUsed = true;
            part.m_pivotX = w.pivotX;
            part.m_pivotY = w.pivotY;
        }
        MotionRecord key = Blank(kMotionKey);
        key.byte = w.opacity;
        key.a = w.x;
        key.b = w.y;
        key.bounceX = w.bounce[0];
        key.bounceY = w.bounce[1];
        key.bounceBaseX = w.bounce[2];
        key.bounceBaseY = w.bounce[3];
        key.zoom = w.zoom;
        key.rotation = w.rotation;
        key.keyIndex = w.keys;
        for (std::int32_t& value : w.bounce) value = 0;
        w.Emit(key);
        if (w.keys++ > 0) continue;
        Sprite* sprite = part.m_sprite[0];
        sprite->SetPosition(w.x, w.y);
        sprite->SetPivot(-1, w.pivotX, w.pivotY);
        sprite->SetAlpha(w.opacity);
        // A part that never moves shows its one key's zoom and rotation now.
        if (!part.Moves() && (part.m_zoomUsed || part.m_rotationUsed))
            sprite->SetRotationZoom(SaturateToInt32(w.rotation * 512.0), w.zoom);
        if (Sprite* twin = part.m_sprite[1]) {
            sprite->SetVisible(m_show[0]);
            CopyPlacement(*twin, *sprite);
            twin->SetVisible(m_show[1]);
        }
    }
    if (lineNumber != lines || next != built.size()) return stop(-1, lineNumber);
    if (w.part && w.animated && w.part->m_records && w.written != w.part->m_recordCount)
        return stop(-1, lineNumber);
    m_parts = std::move(built);
    return stop(0, lineNumber);
}
