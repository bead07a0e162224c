#include "effects/objects/sprite_fade_effect.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/motion/easing.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/surface.h"
#include "graphics/sprites/canvas.h"  // completes the screen core's members
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/screen_core.h"

namespace {

std::int32_t Between(std::int32_t from, std::int32_t to, double h) {
    return static_cast<std::int32_t>(h * (static_cast<double>(to) - from) + from);
}

}  // namespace

// --- sp_fade ---

SpriteFadeEffect::SpriteFadeEffect() = default;

SpriteFadeEffect::~SpriteFadeEffect() { StopRunning(); }

void SpriteFadeEffect::StopRunning() {
    if (m_running && m_counted && g_effectEndHook) g_effectEndHook();
    m_running = false;
}

std::int32_t XM_METHOD SpriteFadeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer*,
                                               const std::int32_t* params) {
    if (!scheduler || !params || params[0] < 1) return 1;
    // A count whose entries would not fit the address space is refused before the product
    // can wrap.
    const auto count = static_cast<std::size_t>(params[0]);
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(Entry)) return -1;
    std::unique_ptr<Entry[]> entries(new (std::nothrow) Entry[count]);
    if (!entries) return -1;
    const std::int32_t joined = scheduler->Add(this, 0, 0, 0);
    if (joined != TaskScheduler::kAdded && joined != TaskScheduler::kAlreadyQueued) return 3;
    StopRunning();
    m_entries = std::move(entries);
    m_count = params[0];
    m_autoFinish = params[1];
    m_counted = params[2] != 0;
    return 0;
}

std::int32_t SpriteFadeEffect::SetSprite(std::int32_t n, Sprite* sprite, bool fadeIn,
                                         std::uint32_t duration, std::uint32_t delay, bool move,
                                         std::int32_t x, std::int32_t y, double exponent) {
    if (n < 0 || n >= m_count || !sprite) return 1;
    Entry& entry = m_entries[n];
    entry = Entry{};
    entry.sprite = sprite;
    if (sprite->IsVisible()) {
        entry.startOpacity = sprite->Alpha();
    } else {
        entry.startOpacity = 0;
        sprite->SetAlpha(0);
    }
    entry.targetOpacity = fadeIn ? 255 : 0;
    const std::uint32_t distance = fadeIn ? 255u - entry.startOpacity : entry.startOpacity;
    const double full = duration == 0 ? 1.0 : static_cast<double>(duration);
    entry.duration = static_cast<std::uint32_t>(distance / 255.0 * full);
    entry.delay = delay;
    entry.move = move;
    if (move) {
        entry.startX = sprite->X();
        entry.startY = sprite->Y();
    }
    entry.targetX = x;
    entry.targetY = y;
    entry.exponent = exponent;
    if (!m_running) {
        m_running = true;
        if (m_counted && g_effectBeginHook) g_effectBeginHook();
    }
    return 0;
}

void SpriteFadeEffect::EndEntry(Entry& entry) {
    Sprite* sprite = entry.sprite;
    sprite->SetAlpha(255);
    if (entry.targetOpacity == 0) sprite->SetVisible(0);
    if (entry.move) sprite->SetPosition(entry.targetX, entry.targetY);
    entry = Entry{};
}

void SpriteFadeEffect::Complete() {
    for (std::int32_t i = 0; i < m_count; ++i)
        if (m_entries[i].sprite) EndEntry(m_entries[i]);
    StopRunning();
}

std::int32_t XM_METHOD SpriteFadeEffect::Step(std::uint32_t now) {
    if (!m_running) return 0;
    bool any = false;
    for (std::int32_t i = 0; i < m_count; ++i) {
        Entry& entry = m_entries[i];
        if (!entry.sprite) continue;
        any = true;
        if (!entry.started) {
            entry.started = true;
            entry.startTime = now;
            if (entry.delay == 0) entry.sprite->SetVisible(1);
            continue;
        }
        std::uint32_t d = now - entry.startTime;
        if (entry.delay != 0) {
            if (d <= entry.delay) continue;
            entry.startTime += entry.delay;
            d -= entry.delay;
            entry.delay = 0;
            entry.sprite->SetVisible(1);
        }
        if (d > entry.duration) d = entry.duration;
        // An entry without any way to go (a fade-in from 255) is at its target at once.
        const double t = entry.duration == 0 ? 1.0 : static_cast<double>(d) / entry.duration;
        entry.sprite->SetAlpha(
            static_cast<std::uint8_t>(Between(entry.startOpacity, entry.targetOpacity, t)));
        if (entry.move) {
            const double h = EaseFraction(t, entry.exponent);
            entry.sprite->SetPosition(Between(entry.startX, entry.targetX, h),
                                      Between(entry.startY, entry.targetY, h));
        }
        if (d == entry.duration) {
            // The moving sprite is already at its target; a fade-out sprite is put away.
            if (entry.targetOpacity == 0) {
                entry.sprite->SetVisible(0);
                entry.sprite->SetAlpha(255);
            }
            entry = Entry{};
        }
    }
    if (any) return 0;
    StopRunning();
    return m_autoFinish;
}

std::int32_t XM_METHOD SpriteFadeEffect::ChangeParams(const std::int32_t* params) {
    if (!params) return 1;
    if (params[0] <= 0) {
        Complete();
        return 0;
    }
    Sprite* sprite = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[2]));
    return SetSprite(params[1], sprite, params[0] == 1, static_cast<std::uint32_t>(params[3]),
                     static_cast<std::uint32_t>(params[4]), params[5] != 0, params[6], params[7],
                     static_cast<double>(params[8]));
}

// --- sp_cfade ---

SpriteCrossFadeEffect::SpriteCrossFadeEffect() = default;

SpriteCrossFadeEffect::~SpriteCrossFadeEffect() {
    if (m_owned && m_old) {
        SurfaceDelete(m_old->GetImage());
        delete m_old;
    }
}

std::int32_t XM_METHOD SpriteCrossFadeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                                    const std::int32_t* params) {
    if (!scheduler || !params) return 1;
    Sprite* fresh = nullptr;
    Sprite* old = nullptr;
    if (params[0] && !(fresh = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[0]))))
        return 2;
    if (params[1] && !(old = EffectWords()->ImageSprite(static_cast<std::uint32_t>(params[1]))))
        return 2;
    PicturePart oldPart, newPart;
    bool oldShows = old && ShownPicture(*old, &oldPart);
    bool newShows = fresh && ShownPicture(*fresh, &newPart);
    if (!oldShows && !newShows) return 3;
    bool combined = false;
    RECT u = {}, o = {}, n = {};
    if (oldShows && newShows) {
        if (!fresh->List() || !target) return 4;
        Image* image = target->GetImage();
        if (!image || !image->Bits()) return 5;
        old->GetBounds(&o);
        fresh->GetBounds(&n);
        const RECT oldBounds = o, newBounds = n;
        oldShows = image->ClipToClipRect(&o);
        newShows = image->ClipToClipRect(&n);
        combined = oldShows && newShows && o.left < n.right && n.left < o.right &&
                   o.top < n.bottom && n.top < o.bottom;
        if (combined) {
            u = RECT{std::min(o.left, n.left), std::min(o.top, n.top), std::max(o.right, n.right),
                     std::max(o.bottom, n.bottom)};
            oldPart.source.left += o.left - oldBounds.left;
            oldPart.source.top += o.top - oldBounds.top;
            oldPart.source.right = oldPart.source.left + (o.right - o.left);
            oldPart.source.bottom = oldPart.source.top + (o.bottom - o.top);
            newPart.source.left += n.left - newBounds.left;
            newPart.source.top += n.top - newBounds.top;
            newPart.source.right = newPart.source.left + (n.right - n.left);
            newPart.source.bottom = newPart.source.top + (n.bottom - n.top);
            OffsetRect(&o, -u.left, -u.top);
            OffsetRect(&n, -u.left, -u.top);
        }
    }
    if (combined &&
        !m_working.Create(oldPart, newPart, o, n, u.right - u.left, u.bottom - u.top, 0, 0,
                          fresh->List(), static_cast<std::uint32_t>(params[2]), u.left, u.top)) {
        return 7;
    }
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        m_working.Clear();
        return 6;
    }
    if (fresh) fresh->SetVisible(0);
    m_new = fresh;
    m_old = old;
    m_owned = true;
    m_oldShows = oldShows;
    m_newShows = newShows;
    m_combined = combined;
    m_duration = params[3] == 0 ? 1 : static_cast<std::uint32_t>(params[3]);
    m_firstStep = true;
    m_last = 0;
    if (params[4]) OnCreated();
    return 0;
}

std::int32_t XM_METHOD SpriteCrossFadeEffect::Step(std::uint32_t now) {
    if (!m_owned) return 1;
    if (m_firstStep) {
        m_firstStep = false;
        m_start = now;
        if (m_combined) {
            m_old->SetVisible(0);
            m_working.WorkingSprite()->SetVisible(1);
        } else if (m_new) {
            m_new->SetAlpha(0);
            m_new->SetVisible(1);
        }
    }
    const std::uint32_t elapsed = now - m_start;
    if (elapsed < m_duration) {
        Render(elapsed);
        return 0;
    }
    Complete();
    return -1;
}

void SpriteCrossFadeEffect::Render(std::uint32_t elapsed) {
    const auto b = static_cast<std::uint8_t>(static_cast<double>(elapsed) / m_duration * 255.0);
    if (b == m_last) return;
    m_last = b;
    if (m_combined) {
        m_working.Render(b);
        return;
    }
    if (m_oldShows) m_old->SetAlpha(static_cast<std::uint8_t>(255 - b));
    if (m_newShows) m_new->SetAlpha(b);
}

void XM_METHOD SpriteCrossFadeEffect::Complete() {
    if (!m_owned) return;
    if (m_combined) {
        m_old->SetVisible(0);
        m_working.WorkingSprite()->SetVisible(0);
        m_new->SetVisible(1);
        return;
    }
    if (m_oldShows) m_old->SetVisible(0);
    if (m_newShows) {
        m_new->SetAlpha(255);
        m_new->SetVisible(1);
    }
}
