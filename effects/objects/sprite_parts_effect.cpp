#include "effects/objects/sprite_parts_effect.h"

#include <cmath>
#include <cstring>
#include <new>

#include "effects/interfaces/effect_word_resolver.h"
#include "effects/objects/sprite_loop_effect.h"
#include "effects/objects/sprite_panime_effect.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

class PlainPartsObjects final : public SpritePartsObjects {};

PlainPartsObjects g_plainObjects;
SpritePartsObjects* g_partsObjects = &g_plainObjects;

// The part's sprite on canvas k: its own, or the first of its loop there.
const Drawable* ShownBy(const SpritePart& part, int k) {
    if (part.m_sprite[k]) return part.m_sprite[k];
    return part.m_loop[k] ? &part.m_loop[k]->SpriteOf(0) : nullptr;
}

bool PlacementDiffers(const Sprite& twin, const Sprite& sprite) {
    const RECT& a = twin.BoundsRef();
    const RECT& b = sprite.BoundsRef();
    return twin.Alpha() != sprite.Alpha() || a.left != b.left || a.top != b.top ||
           a.right != b.right || a.bottom != b.bottom || twin.X() != sprite.X() ||
           twin.Y() != sprite.Y() || twin.Angle() != sprite.Angle() ||
           twin.Zoom() != sprite.Zoom() || twin.Cache() != sprite.Cache();
}

}  // namespace

Image* SpritePartsObjects::NewImage() { return new (std::nothrow) Image; }
void SpritePartsObjects::DeleteImage(Image* image) { delete image; }
Sprite* SpritePartsObjects::NewSprite() { return new (std::nothrow) Sprite; }
void SpritePartsObjects::DeleteSprite(Sprite* sprite) { delete sprite; }

SpritePartsObjects* PartsObjects() { return g_partsObjects; }

SpritePartsObjects* InstallPartsObjects(SpritePartsObjects* objects) {
    SpritePartsObjects* previous = g_partsObjects;
    g_partsObjects = objects ? objects : &g_plainObjects;
    return previous;
}

SpritePart::~SpritePart() {
    // The loops and sprites show the image: they go first.
    for (SpriteLoopEffect*& loop : m_loop) {
        if (loop) ReleaseObject(loop);
        loop = nullptr;
    }
    for (Sprite*& sprite : m_sprite) {
        if (sprite) m_objects->DeleteSprite(sprite);
        sprite = nullptr;
    }
    if (m_image) m_objects->DeleteImage(m_image);
    m_image = nullptr;
}

SpritePartsEffect::SpritePartsEffect() = default;

SpritePartsEffect::~SpritePartsEffect() { Clear(); }

void SpritePartsEffect::Clear() {
    // The players move the parts' sprites: they go before the parts, and the parts before the
    // offscreen canvases that hold their sprites.
    for (SpritePanimeEffect*& player : m_player) {
        if (player) ReleaseObject(player);
        player = nullptr;
    }
    m_player.clear();
    m_state.clear();
    m_parts.clear();
    for (std::unique_ptr<Canvas>& canvas : m_offscreen) canvas.reset();
}

void SpritePartsEffect::CopyPlacement(Sprite& twin, const Sprite& sprite) {
    const std::uint8_t visible = twin.IsVisible() ? 1 : 0;
    twin.ShareFrom(&sprite);
    twin.SetVisible(visible);
    FollowLayer(twin, sprite);
}

void SpritePartsEffect::FollowLayer(Sprite& twin, const Sprite& sprite) {
    SpriteList* list = sprite.List();
    SpriteList* twinList = twin.List();
    const SpriteListNode* node = list ? list->Find(&sprite) : nullptr;
    const SpriteListNode* twinNode = twinList ? twinList->Find(&twin) : nullptr;
    if (node && twinNode && node->priority != twinNode->priority)
        twinList->SetPriority(&twin, node->priority, false);
}

std::int32_t XM_METHOD SpritePartsEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                                const std::int32_t* params) {
    if (!scheduler || !target || !params || !m_parts.empty()) return 1;
    const char* file = EffectWords()->Text(static_cast<std::uint32_t>(params[0]));
    Canvas* canvas0 = target->GetCanvas();
    if (!file || !canvas0) return 1;
    const std::uint32_t halves[2] = {static_cast<std::uint32_t>(params[5]),
                                     static_cast<std::uint32_t>(params[6])};
    double scale = 0.0;
    std::memcpy(&scale, halves, sizeof scale);
    if (!std::isfinite(scale) || !(scale > 0.0)) return 1;
    Canvas* canvas1 = nullptr;
    if (params[9]) {
        ScreenBuffer* linked = target->GetAlternate();
        canvas1 = linked ? linked->GetCanvas() : nullptr;
        if (!canvas1) return 2;
        m_show[0] = params[10] != 0;
        m_show[1] = params[11] != 0;
        m_target = target;
    } else {
        m_show[0] = m_show[1] = 1;
        m_target = nullptr;
    }
    m_canvas[0] = canvas0;
    m_canvas[1] = canvas1;
    m_stopped = false;

    Canvas* build[2] = {canvas0, canvas1};
    if (params[8]) {
        Image* screen = target->GetImage();
        m_limit = RECT{0, 0, screen ? screen->Width() : 0, screen ? screen->Height() : 0};
        for (int n = 0; n < 2; ++n) {
            if (!m_canvas[n]) continue;
            m_offscreen[n].reset(new (std::nothrow) Canvas);
            if (!m_offscreen[n]) {
                Clear();
                return 3;
            }
            m_offscreen[n]->SetNoBackground(true);
            build[n] = m_offscreen[n].get();
        }
    }

    std::int32_t line = 0;
    const std::int32_t code = LoadDefinition(file, build[0], params[1], params[2], params[3],
                                              params[4] != 0, scale, build[1], &line);
    if (code != 0) {
        Clear();
        return code == 1 ? 1 : 3;
    }

    const auto count = static_cast<std::int32_t>(m_parts.size());
    const std::int32_t pair[] = {0, SaturateToInt32(std::int64_t{params[3]} - count), params[3]};
    SpritePanimeAssist(pair);
    m_player.assign(m_parts.size(), nullptr);
    m_state.assign(m_parts.size(), kFinished);
    for (std::size_t n = 0; n < m_parts.size(); ++n) {
        SpritePart& part = *m_parts[n];
        if (part.m_recordCount < 0) {
            m_state[n] = kLooped;
            continue;
        }
        if (!part.Moves()) {
            m_state[n] = kStatic;
            continue;
        }
        auto* player = new (std::nothrow) SpritePanimeEffect;
        m_player[n] = player;
        PanimeRecordSetup setup;
        setup.count = part.m_recordCount;
        setup.keyCount = part.m_keyCount;
        setup.spline = part.m_splineUsed;
        setup.zoomUsed = part.m_zoomUsed;
        setup.rotationUsed = part.m_rotationUsed;
        setup.largestZoom = part.m_largestZoom;
        setup.pivotX = part.m_pivotX;
        setup.pivotY = part.m_pivotY;
        setup.defaultDuration = 1000;
        setup.loop = params[4] != 0;
        if (!player ||
            player->SetupFromRecords(part.m_sprite[0], std::move(part.m_records), setup) != 0) {
            Clear();
            return 4;
        }
        m_state[n] = kAnimating;
    }
    if (g_mathTables) g_mathTables->BuildFloatCosTable();
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        Clear();
        return 5;
    }
    if (params[7]) OnCreated();
    return 0;
}

std::int32_t XM_METHOD SpritePartsEffect::Step(std::uint32_t now) {
    bool running = false;
    for (std::size_t n = 0; n < m_state.size(); ++n) {
        SpritePart& part = *m_parts[n];
        switch (m_state[n]) {
        case kAnimating:
            if (m_player[n]->Step(now) != 0) {
                for (Sprite* sprite : part.m_sprite)
                    if (sprite) sprite->SetVisible(0);
                m_state[n] = kFinished;
                break;
            }
            running = true;
            if (Sprite* twin = part.m_sprite[1]; twin && part.m_enabled) {
                if (PlacementDiffers(*twin, *part.m_sprite[0]))
                    CopyPlacement(*twin, *part.m_sprite[0]);
                else
                    FollowLayer(*twin, *part.m_sprite[0]);
                twin->SetVisible(m_show[1]);
            }
            break;
        case kStatic:
            if (!m_stopped) running = true;
            break;
        case kLooped:
            for (SpriteLoopEffect*& loop : part.m_loop) {
                if (loop && loop->Step(now) != 0) {
                    ReleaseObject(loop);
                    loop = nullptr;
                }
            }
            if (part.m_loop[0] || part.m_loop[1]) running = true;
            else m_state[n] = kFinished;
            break;
        default: break;
        }
    }
    if (!running) return 1;
    Paint();
    return 0;
}

void SpritePartsEffect::Paint() {
    for (int n = 0; n < 2; ++n) {
        Canvas* offscreen = m_offscreen[n].get();
        if (!offscreen || !m_canvas[n]) continue;
        Surface* background = nullptr;
        std::int32_t sx = 0;
        std::int32_t sy = 0;
        m_canvas[n]->GetBackground(&background, &sx, &sy, nullptr, nullptr, nullptr);
        auto* picture = dynamic_cast<Image*>(background);
        if (!picture || offscreen->SetTarget(picture, false) != 0) continue;
        DirtyRegion painted;
        if (offscreen->Redraw(&painted, &m_limit, -sx, -sy) != 0 || painted.Count() == 0)
            continue;
        const RectNode* node = painted.Head();
        for (std::int32_t i = 0; i < painted.Count(); ++i, node = node->next) {
            const RECT rect = {node->left, node->top, node->right, node->bottom};
            m_canvas[n]->InvalidateRect(&rect);
        }
    }
}

void SpritePartsEffect::ShowPart(std::int32_t n) {
    SpritePart& part = *m_parts[static_cast<std::size_t>(n)];
    const std::uint8_t on[2] = {static_cast<std::uint8_t>(m_show[0] && part.m_enabled),
                                static_cast<std::uint8_t>(m_show[1] && part.m_enabled)};
    for (int k = 0; k < 2; ++k) {
        if (m_state[static_cast<std::size_t>(n)] == kLooped) {
            if (!part.m_loop[k]) continue;
            const std::int32_t words[] = {1, on[k]};
            part.m_loop[k]->ChangeParams(words);
        } else if (part.m_sprite[k]) {
            part.m_sprite[k]->SetVisible(on[k]);
        }
    }
}

std::int32_t XM_METHOD SpritePartsEffect::ChangeParams(const std::int32_t* params) {
    if (!params) return 1;
    // The parts that Setup made players for (a bare LoadDefinition makes none).
    const auto count = static_cast<std::int32_t>(m_state.size());
    switch (params[0]) {
    case 0: {
        m_stopped = true;
        const std::int32_t stop[] = {0};
        for (std::size_t n = 0; n < m_state.size(); ++n) {
            if (m_state[n] == kAnimating) m_player[n]->ChangeParams(stop);
            for (SpriteLoopEffect* loop : m_parts[n]->m_loop)
                if (loop) loop->ChangeParams(stop);
        }
        return 0;
    }
    case 1: {
        if (!m_canvas[1]) return 2;
        if (count == 0) return 1;
        // The words name the canvases as they are now: when the first part's canvas-1 sprite
        // sits in canvas 0's list, the two have changed places.
        Canvas* home = m_offscreen[0] ? m_offscreen[0].get()
                                      : (m_target ? m_target->GetCanvas() : m_canvas[0]);
        const Drawable* second = ShownBy(*m_parts[0], 1);
        const bool swapped = home && second && second->List() == &home->Sprites();
        m_show[0] = (swapped ? params[2] : params[1]) != 0;
        m_show[1] = (swapped ? params[1] : params[2]) != 0;
        for (std::int32_t n = 0; n < count; ++n) {
            if (m_state[static_cast<std::size_t>(n)] != kFinished && m_parts[n]->m_enabled)
                ShowPart(n);
        }
        for (std::unique_ptr<Canvas>& offscreen : m_offscreen)
            if (offscreen) offscreen->InvalidateAll();
        return 0;
    }
    case 2: {
        const std::int32_t n = params[1];
        if (n < 0 || n >= count) return 1;
        m_parts[static_cast<std::size_t>(n)]->m_enabled = params[2] != 0;
        if (m_state[static_cast<std::size_t>(n)] != kFinished) ShowPart(n);
        return 0;
    }
    default: return 1;
    }
}
