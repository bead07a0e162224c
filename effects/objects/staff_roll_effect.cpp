#include "effects/objects/staff_roll_effect.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <new>

#include "effects/interfaces/effect_word_resolver.h"
#include "framework/files/file_stream.h"
#include "framework/interfaces/task_scheduling.h"
#include "framework/util/arg_tokenizer.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/text/antialias_font.h"

namespace {

StaffMusic* g_staffMusic = nullptr;

constexpr std::uint32_t kLineCapacity = 512;
const char kDefaultFace[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック

// The fields after a keyword, separated by blanks or commas. A field that is empty (a comma at
// once) or missing keeps the value it is read into.
class Fields {
public:
    explicit Fields(const char* text) : m_p(text) {}

    // false for an empty or missing field; the cursor is then past its comma.
    bool Present() {
        SkipBlanks();
        if (*m_p == ',') {
            ++m_p;
            return false;
        }
        return *m_p != '\0';
    }
    void Integer(std::int32_t* value) {
        if (!Present()) return;
        ArgTokenizer tokens(m_p);
        if (tokens.ReadInteger(value) != 0) tokens.SkipWord();  // not a number: keeps the value
        m_p = tokens.Cursor();
        EndField();
    }
    template <class T>
    void Number(T* value) {
        std::int32_t word = static_cast<std::int32_t>(*value);
        Integer(&word);
        *value = static_cast<T>(word);
    }
    // 0 read; 1 empty or missing; otherwise ReadQuotedString's code (2 no opening quote,
    // 3 too long, 4 no closing quote), with the rest of the field skipped.
    std::int32_t Quoted(char* buffer, std::uint32_t size) {
        if (!Present()) return 1;
        ArgTokenizer tokens(m_p);
        const std::int32_t code = tokens.ReadQuotedString(buffer, size, false);
        if (code != 0) tokens.SkipWord();
        m_p = tokens.Cursor();
        EndField();
        return code;
    }

private:
    void SkipBlanks() {
        while (*m_p == ' ' || *m_p == '\t') ++m_p;
    }
    void EndField() {
        SkipBlanks();
        if (*m_p == ',') ++m_p;
    }
    const char* m_p;
};

// Failures that end the parse with their code.
struct LayoutError {
    std::int32_t code;
};

// A text rendered with the font into a new 32-bit image with alpha; false when it cannot be.
bool RenderText(AntialiasFont& font, const char* text, Image& image) {
    std::int32_t size[2] = {0, 0};
    if (font.TextExtent(text, size, nullptr, nullptr, true, nullptr) <= 0) return false;
    if (size[0] <= 0 || size[1] <= 0 || image.Create(size[0], size[1], 32, 0) != 0) return false;
    image.FillValue(0, nullptr);
    image.SetHasAlpha(true);
    RECT rect;
    return font.DrawText(&image, 0, 0, text, &rect, nullptr) == 0;
}

}  // namespace

StaffMusic* StaffRollMusic() { return g_staffMusic; }
void SetStaffRollMusic(StaffMusic* music) { g_staffMusic = music; }

void StaffRollEffect::Clear() {
    m_lines.clear();
    m_groups.clear();
}

std::int32_t StaffRollEffect::LoadLayout(const char* name, Canvas* canvas) {
    Clear();
    m_height = 0;
    m_duration = m_hold = m_fade = 0;
    m_finishWhenDone = 1;
    m_bgmName.clear();
    std::int32_t code = -1;
    try {
        code = canvas ? ParseLines(name, canvas) : -1;
    } catch (const LayoutError& error) {
        code = error.code;
    } catch (const std::exception&) {
        code = -1;
    }
    if (code != 0) Clear();
    return code;
}

std::int32_t StaffRollEffect::ParseLines(const char* name, Canvas* canvas) {
    FileStream file;
    if (!name || file.LoadFile(name) != 0) return 2;

    AntialiasFont font;
    char face[32];
    std::copy(kDefaultFace, kDefaultFace + sizeof(kDefaultFace), face);
    std::int32_t fontSize = 24;
    std::int32_t colour = 0xFFFFFF;
    std::int32_t bold = 0;
    std::int32_t level = 0;
    auto applyColour = [&] {
        font.colour[0] = static_cast<std::uint8_t>(colour >> 16);
        font.colour[1] = static_cast<std::uint8_t>(colour >> 8);
        font.colour[2] = static_cast<std::uint8_t>(colour);
    };
    auto makeFont = [&] {
        if (font.SetFont(fontSize, bold != 0, 0, face) != 0) throw LayoutError{-1};
        font.SetLevel(static_cast<std::uint8_t>(level));
    };
    makeFont();
    applyColour();

    std::int32_t xOffset = 0;
    std::int32_t alignment = 1;
    std::int32_t groupOffset = 0;
    std::int32_t groupLength = -1;
    std::int32_t groupFadeIn = 800;
    std::int32_t groupFadeOut = 800;
    std::int32_t groupPriority = 1000;
    std::int32_t cursor = 0;
    std::int32_t lastHeight = 0;
    std::int32_t endGap = 0;
    std::int32_t depth = 0;

    auto addSprite = [&](Sprite& sprite, Image& image, std::uint32_t priority) {
        if (sprite.SetImage(&image, nullptr, 0, 0) != 0) throw LayoutError{-1};
        if (canvas->Sprites().Add(&sprite, priority, 0) != 0) throw LayoutError{-1};
    };
    auto setSpan = [](StaffGroup& group) {
        group.span = group.endPosition - group.startPosition;
    };

    char line[kLineCapacity];
    while (file.ReadLine(line, sizeof(line)) != 0) {
        ArgTokenizer tokens(line);
        const char first = tokens.SkipBlanks();
        if (first == '\0') continue;
        const char* p = tokens.Cursor();
        // A comment opened and closed on one line stays open: only a line that begins with
        // "*/" closes it.
        if (p[0] == '/' && p[1] == '*') {
            ++depth;
            continue;
        }
        if (depth > 0) {
            if (p[0] == '*' && p[1] == '/') --depth;
            continue;
        }
        if (p[0] == '/' && p[1] == '/') continue;

        if (tokens.MatchKeyword("init")) {
            Fields fields(tokens.Cursor());
            fields.Number(&m_duration);
            char music[kLineCapacity];
            if (fields.Quoted(music, sizeof(music)) == 0) m_bgmName = music;
        } else if (tokens.MatchKeyword("font")) {
            Fields fields(tokens.Cursor());
            bool remake = false;
            char newFace[32];
            const std::int32_t faceCode = fields.Quoted(newFace, sizeof(newFace));
            if (faceCode == 0) {
                std::copy(newFace, newFace + sizeof(newFace), face);
                remake = true;
            } else if (faceCode != 1) {
                throw LayoutError{4};
            }
            const std::int32_t before[3] = {fontSize, bold, level};
            fields.Integer(&fontSize);
            fields.Integer(&colour);
            fields.Integer(&bold);
            fields.Integer(&level);
            remake = remake || before[0] != fontSize || before[1] != bold || before[2] != level;
            if (remake) makeFont();
            applyColour();
        } else if (tokens.MatchKeyword("layout")) {
            Fields fields(tokens.Cursor());
            fields.Integer(&xOffset);
            fields.Integer(&alignment);
        } else if (tokens.MatchKeyword("text") || tokens.MatchKeyword("gtext")) {
            // A failed MatchKeyword leaves the cursor on the keyword for the second test.
            const bool picture = p[0] == 'g';
            Fields fields(tokens.Cursor());
            std::int32_t x = 0;
            std::int32_t advance = 0;
            fields.Integer(&x);
            fields.Integer(&advance);
            char text[kLineCapacity];
            if (fields.Quoted(text, sizeof(text)) != 0) throw LayoutError{picture ? 7 : 5};
            auto staffLine = std::make_unique<StaffLine>();
            if (picture) {
                if (staffLine->image.Load(text, nullptr, 0, 0) != 0 || !staffLine->image.Bits())
                    throw LayoutError{8};
            } else if (!RenderText(font, text, staffLine->image)) {
                throw LayoutError{6};
            }
            const std::int32_t width = staffLine->image.Width();
            std::int32_t left = 0;
            switch (alignment) {
                case 0: left = xOffset; break;
                case 1: left = xOffset + ((kCentreWidth - width - xOffset) >> 1); break;
                case 2: left = xOffset - width; break;
                default: break;
            }
            staffLine->x = x + left;
            staffLine->layoutY = cursor + advance;
            addSprite(staffLine->sprite, staffLine->image, 0);
            if (!picture) staffLine->sprite.SetBlendMode(2);
            staffLine->sprite.SetPosition(staffLine->x, staffLine->layoutY);
            cursor += advance;
            lastHeight = staffLine->image.Height();
            m_lines.push_back(std::move(staffLine));
        } else if (tokens.MatchKeyword("laygrp")) {
            Fields fields(tokens.Cursor());
            fields.Integer(&groupOffset);
            fields.Integer(&groupLength);
            fields.Integer(&groupFadeIn);
            fields.Integer(&groupFadeOut);
            fields.Integer(&groupPriority);
        } else if (tokens.MatchKeyword("grp")) {
            Fields fields(tokens.Cursor());
            auto group = std::make_unique<StaffGroup>();
            fields.Integer(&group->startX);
            fields.Integer(&group->startY);
            char file[kLineCapacity];
            if (fields.Quoted(file, sizeof(file)) != 0) throw LayoutError{9};
            if (group->image.Load(file, nullptr, 0, 0) != 0 || !group->image.Bits())
                throw LayoutError{10};
            group->endX = group->startX;
            group->endY = group->startY;
            std::int32_t opacity = 255;
            fields.Integer(&group->endX);
            fields.Integer(&group->endY);
            fields.Integer(&opacity);
            group->maxOpacity = static_cast<std::uint8_t>(opacity);
            group->startPosition = cursor + groupOffset;
            group->endPosition = groupLength >= 0 ? group->startPosition + groupLength : -1;
            if (group->endPosition >= 0) setSpan(*group);
            group->fadeIn = static_cast<std::uint32_t>(groupFadeIn);
            group->fadeOut = static_cast<std::uint32_t>(groupFadeOut);
            if (!m_groups.empty() && m_groups.back()->endPosition == -1) {
                StaffGroup& earlier = *m_groups.back();
                earlier.endPosition = group->startPosition;
                setSpan(earlier);
            }
            addSprite(group->sprite, group->image, static_cast<std::uint32_t>(groupPriority));
            group->sprite.SetVisible(0);
            group->sprite.SetAlpha(0);
            group->sprite.SetPosition(group->startX, group->startY);
            m_groups.push_back(std::move(group));
        } else if (tokens.MatchKeyword("egrp")) {
            Fields fields(tokens.Cursor());
            std::int32_t offset = 0;
            fields.Integer(&offset);
            if (!m_groups.empty()) {
                m_groups.back()->endPosition = offset + cursor + groupOffset;
                setSpan(*m_groups.back());
            }
        } else if (tokens.MatchKeyword("end")) {
            Fields fields(tokens.Cursor());
            fields.Integer(&endGap);
            fields.Number(&m_hold);
            fields.Number(&m_fade);
            fields.Number(&m_finishWhenDone);
        } else {
            return 11;
        }
    }
    m_height = cursor + lastHeight + endGap;
    if (!m_groups.empty() && m_groups.back()->endPosition == -1) {
        m_groups.back()->endPosition = m_height;
        setSpan(*m_groups.back());
    }
    return 0;
}

std::int32_t XM_METHOD StaffRollEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                              const std::int32_t* params) {
    if (!scheduler || !target || !params) return 1;
    Canvas* canvas = target->GetCanvas();
    if (!canvas) return 1;
    const char* name = EffectWords()->Text(static_cast<std::uint32_t>(params[0]));
    std::int32_t code = LoadLayout(name, canvas) != 0 ? 2 : 0;
    // Without music a duration of 0 gives no speed: refused like a bad script.
    if (code == 0 && m_lines.empty()) code = 3;
    if (code == 0 && m_duration == 0 && m_bgmName.empty()) code = 2;
    if (code == 0 && !m_bgmName.empty() && !g_staffMusic) code = 4;
    if (code == 0) {
        m_started = false;
        m_startTime = 0;
        m_state = 1;
        try {
            if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) code = 5;
        } catch (const std::exception&) {
            code = 5;
        }
        if (code == 5) m_state = 0;
    }
    if (code != 0) {
        Clear();
        return code;
    }
    OnCreated();
    return 0;
}

std::int32_t XM_METHOD StaffRollEffect::ChangeParams(const std::int32_t* params) {
    if (!params || params[0] != 0) return -1;
    m_speedFactor = std::max<std::int32_t>(params[1], 1);
    return 0;
}

std::int32_t StaffRollEffect::End() {
    if (m_bgmStarted && g_staffMusic) g_staffMusic->Stop();
    m_bgmStarted = false;
    if (m_finishWhenDone) return -1;
    m_state = 2;
    return 0;
}

void StaffRollEffect::UpdateGroups(std::int64_t position, std::uint64_t time) {
    for (const auto& owned : m_groups) {
        StaffGroup& group = *owned;
        if (group.state == 4) continue;
        switch (group.state) {
            case 0:
                if (position >= group.startPosition) {
                    group.state = 1;
                    group.fadeInStart = time;
                    group.sprite.SetVisible(1);
                }
                break;
            case 1:
                if (time < group.fadeInStart + group.fadeIn) {
                    group.sprite.SetAlpha(static_cast<std::uint8_t>(
                        static_cast<double>(time - group.fadeInStart) / group.fadeIn *
                        group.maxOpacity));
                } else {
                    group.sprite.SetAlpha(group.maxOpacity);
                    group.state = 2;
                }
                break;
            case 2:
                if (position >= group.endPosition) {
                    group.state = 3;
                    group.fadeOutStart = time;
                }
                break;
            case 3:
                if (time < group.fadeOutStart + group.fadeOut) {
                    group.sprite.SetAlpha(static_cast<std::uint8_t>(
                        static_cast<double>(group.fadeOutStart + group.fadeOut - time) /
                        group.fadeOut * group.maxOpacity));
                } else {
                    group.sprite.SetVisible(0);
                    group.state = 4;
                }
                break;
            default:
                break;
        }
        if (group.state == 0) continue;
        // A span of 0 gives no movement: such a group sits at its end.
        const double u = group.span != 0
                             ? static_cast<double>(position - group.startPosition) / group.span
                             : 1.0;
        group.sprite.SetPosition(
            group.startX + static_cast<std::int32_t>(u * (group.endX - group.startX)),
            group.startY + static_cast<std::int32_t>(u * (group.endY - group.startY)));
    }
}

std::int32_t XM_METHOD StaffRollEffect::Step(std::uint32_t now) {
    if (m_state == 2) return 0;
    if (!m_started) {
        if (!m_bgmName.empty() && g_staffMusic) {
            g_staffMusic->Start(m_bgmName.c_str());
            if (m_duration == 0) m_duration = g_staffMusic->Length();
            m_bgmStarted = true;
        }
        // Music of length 0 scrolls the whole column at once (speed 0: groups do not grow).
        m_speed = m_duration != 0 ? static_cast<double>(m_height) / m_duration : 0.0;
        // Kept within 32 bits, however long the fade and fast the roll.
        for (const auto& group : m_groups)
            group->span = static_cast<std::int32_t>(std::min<double>(
                group->span + std::floor(group->fadeOut * m_speed), INT32_MAX));
        m_phase = 0;
        m_startTime = m_lastTime = now;
        m_gained = 0;
        m_fadeStarted = false;
        m_speedFactor = 1;
        m_started = true;
    }
    // The end of the roll bounds the clock; the time gained by a faster clock is counted in 64
    // bits and capped there, so it never wraps.
    const std::uint64_t end =
        static_cast<std::uint64_t>(m_duration) + m_hold + m_fade;
    const std::uint64_t elapsed =
        std::min<std::uint64_t>(static_cast<std::uint32_t>(now - m_startTime) + m_gained, end);
    if (m_speedFactor > 1) {
        m_gained += static_cast<std::uint64_t>(static_cast<std::uint32_t>(now - m_lastTime)) *
                    static_cast<std::uint64_t>(m_speedFactor - 1);
        m_gained = std::min(m_gained, end);
    }
    m_lastTime = now;

    if (m_phase == 0) {
        const std::uint64_t e = std::min<std::uint64_t>(elapsed, m_duration);
        const std::int32_t position =
            m_duration != 0 ? static_cast<std::int32_t>(static_cast<double>(e) / m_duration *
                                                        m_height)
                            : m_height;
        for (const auto& line : m_lines)
            line->sprite.SetPosition(line->x, line->layoutY - position);
        UpdateGroups(position, e);
        if (e < m_duration) return 0;
        if (m_hold == 0 && m_fade == 0) return End();
        m_phase = 1;
        return 0;
    }

    const std::uint64_t t = elapsed - m_duration;
    // Capped far beyond any group's end, so that the conversion stays defined.
    UpdateGroups(static_cast<std::int64_t>(std::min(std::floor(t * m_speed), 1e15)) + m_height,
                 elapsed);
    if (t < m_hold) return 0;
    if (!m_fadeStarted) {
        if (m_bgmStarted && g_staffMusic && g_staffMusic->Playing()) g_staffMusic->FadeOut(m_fade);
        m_fadeStarted = true;
    }
    // A fade of 0 after a hold ends the roll when the hold is over.
    if (m_fade == 0) return End();
    const std::uint64_t f = std::min<std::uint64_t>(t - m_hold, m_fade);
    const std::uint8_t opacity = static_cast<std::uint8_t>(255 - f * 255 / m_fade);
    for (const auto& line : m_lines) line->sprite.SetAlpha(opacity);
    if (f >= m_fade) return End();
    return 0;
}
