#include "effects/objects/bg_layer_cache.h"

#include "graphics/sprites/canvas.h"

bool BgLayerCache::InUse(const Canvas* canvas) {
    return canvas && canvas->Scaled() != nullptr;
}

std::int32_t BgLayerCache::Take(Canvas* canvas, std::int32_t inUseCode,
                                std::int32_t createCode) {
    if (!canvas || !canvas->Target()) return createCode;
    if (InUse(canvas)) return inUseCode;
    if (canvas->CreateScaled(false) != 0 || !canvas->MutableScaled()) return createCode;
    m_canvas = canvas;
    m_serial = canvas->ScaledSerial();
    return 0;
}

Image* BgLayerCache::Get() const {
    if (!m_canvas || m_serial == 0 || m_canvas->ScaledSerial() != m_serial) return nullptr;
    return m_canvas->MutableScaled();
}

void BgLayerCache::Release(bool redraw) {
    if (!m_canvas) return;
    const bool ours = Get() != nullptr;
    if (ours) m_canvas->DropScaled();
    if (ours && redraw) m_canvas->InvalidateAll();
    m_serial = 0;
}
