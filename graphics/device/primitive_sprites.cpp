#include "graphics/device/primitive_sprites.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "graphics/compose/math_tables.h"
#include "graphics/device/direct3d_device.h"
#include "graphics/interfaces/texture.h"
#include "graphics/surfaces/texture_image.h"
#include "graphics/surfaces/texture_screen.h"

static_assert(sizeof(TexturedVertex) == 28, "the textured vertex format is 28 bytes");
static_assert(sizeof(ColouredVertex) == 20, "the coloured vertex format is 20 bytes");

namespace {

std::uint8_t ClampByte(std::int32_t value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

DWORD WithRgb(DWORD diffuse, std::uint32_t rgb) { return (diffuse & 0xFF000000u) | (rgb & 0x00FFFFFFu); }
DWORD WithAlpha(DWORD diffuse, std::int32_t alpha) {
    return (diffuse & 0x00FFFFFFu) | (static_cast<DWORD>(ClampByte(alpha)) << 24);
}

template <class Vertex>
void Reset(Vertex& v) {
    v = Vertex{};
    v.rhw = 1.0f;
    v.diffuse = 0xFFFFFFFFu;
}

template <class Vertex>
void LayRect(Vertex* v, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    const float right = static_cast<float>(x + w);
    const float bottom = static_cast<float>(y + h);
    v[0].x = left, v[0].y = top;
    v[1].x = right, v[1].y = top;
    v[2].x = left, v[2].y = bottom;
    v[3].x = right, v[3].y = bottom;
}

POINT CornerPivot(std::int32_t pivot, std::int32_t w, std::int32_t h) {
    switch (pivot) {
        case 1: return POINT{w, 0};
        case 2: return POINT{0, h};
        case 3: return POINT{w, h};
        case 4: return POINT{w >> 1, h >> 1};
        default: return POINT{0, 0};
    }
}

// Turns the vertices about (ox, oy) by angle (1/512 turns) with the 16.16 cosine table; 64-bit
// products keep coordinates beyond +-32767 right. False without the tables.
template <class Vertex>
bool Rotate(Vertex* v, std::int32_t count, std::int32_t ox, std::int32_t oy, std::int32_t angle) {
    if (!g_mathTables) return false;
    const std::int32_t* cosine = g_mathTables->CosFixed();
    const std::int64_t c = cosine[(-angle) & 511];
    const std::int64_t s = cosine[(-angle - 128) & 511];
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t dx = static_cast<std::int32_t>(v[i].x) - static_cast<std::int64_t>(ox);
        const std::int64_t dy = static_cast<std::int32_t>(v[i].y) - static_cast<std::int64_t>(oy);
        v[i].x = static_cast<float>(ox + static_cast<std::int32_t>((c * dx - s * dy) >> 16));
        v[i].y = static_cast<float>(oy + static_cast<std::int32_t>((s * dx + c * dy) >> 16));
    }
    return true;
}

void SendBlend(Direct3DDevice* device, const std::uint8_t blend[3]) {
    device->SetAlphaBlendEnable(blend[0]);
    device->SetSrcBlend(blend[1]);
    device->SetDestBlend(blend[2]);
}

bool AppliesStates(const DeviceDrawable& drawable) { return !drawable.m_list || drawable.m_list->m_applyStates; }

void BrightnessBlend(std::uint8_t blend[3], bool additive) {
    blend[0] = 1;
    blend[1] = D3DBLEND_SRCALPHA;
    blend[2] = additive ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA;
}

}  // namespace

void BlendForAlpha(std::uint8_t alpha, std::uint8_t blend[3]) {
    if (alpha == 0xFF) {
        blend[0] = 0;
        blend[1] = D3DBLEND_ONE;
        blend[2] = D3DBLEND_ZERO;
    } else {
        blend[0] = 1;
        blend[1] = D3DBLEND_SRCALPHA;
        blend[2] = D3DBLEND_INVSRCALPHA;
    }
}

void BlendForFormat(std::int32_t formatCode, std::uint8_t blend[3]) { BlendForAlpha(formatCode < 64 ? 0xFF : 0, blend); }

// ---------------------------------------------------------------- TexturedQuadSprite

TexturedQuadSprite::TexturedQuadSprite() { TexturedQuadSprite::Clear(); }

void TexturedQuadSprite::Clear() {
    m_texture = nullptr;
    for (TexturedVertex& v : m_vertices) Reset(v);
    m_sourceRect = RECT{0, 0, 0, 0};
    m_sourceOffset = POINT{0, 0};
    m_x = m_y = m_width = m_height = 0;
}

bool TexturedQuadSprite::Accepts(Texture* texture) const { return texture && texture->GetSurface(); }

bool TexturedQuadSpriteEx::Accepts(Texture* texture) const {
    return texture && texture->Kind() == kSurfaceTextureScreen && texture->GetSurface();
}

std::int32_t TexturedQuadSprite::DisplayedWidth() const {
    return m_width ? m_width : m_sourceRect.right - m_sourceRect.left;
}
std::int32_t TexturedQuadSprite::DisplayedHeight() const {
    return m_height ? m_height : m_sourceRect.bottom - m_sourceRect.top;
}

void TexturedQuadSprite::SetTextureCoordinates() {
    const float left = m_texture->U(m_sourceOffset.x + m_sourceRect.left);
    const float right = m_texture->U(m_sourceOffset.x + m_sourceRect.right);
    const float top = m_texture->V(m_sourceOffset.y + m_sourceRect.top);
    const float bottom = m_texture->V(m_sourceOffset.y + m_sourceRect.bottom);
    m_vertices[0].u = left, m_vertices[0].v = top;
    m_vertices[1].u = right, m_vertices[1].v = top;
    m_vertices[2].u = left, m_vertices[2].v = bottom;
    m_vertices[3].u = right, m_vertices[3].v = bottom;
}

std::int32_t TexturedQuadSprite::SetUp(Texture* texture, const RECT* sourceRect, std::int32_t x, std::int32_t y) {
    if (!Accepts(texture)) return 1;
    Clear();
    m_texture = texture;
    BlendForFormat(texture->FormatCode(), m_blend);
    const std::uint8_t stage[6] = {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT,
                                   D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT};
    std::copy(stage, stage + 6, m_stage);
    const RECT whole = {0, 0, texture->PictureWidth(), texture->PictureHeight()};
    if (!sourceRect || !IntersectRect(&m_sourceRect, sourceRect, &whole)) m_sourceRect = sourceRect ? RECT{} : whole;
    SetTextureCoordinates();
    SetPosition(x, y);
    return 0;
}

std::int32_t TexturedQuadSprite::SetTexture(Texture* texture) {
    if (!Accepts(texture)) return 1;
    m_texture = texture;
    return 0;
}

void TexturedQuadSprite::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    LayRect(m_vertices, x, y, DisplayedWidth(), DisplayedHeight());
}

void TexturedQuadSprite::SetSize(std::int32_t width, std::int32_t height) {
    m_width = width;
    m_height = height;
    SetPosition(m_x, m_y);
}

void TexturedQuadSprite::SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
    m_width = width;
    m_height = height;
    SetPosition(x, y);
}

bool TexturedQuadSprite::GetBounds(RECT* out) {
    if (!Accepts(m_texture)) return false;
    *out = RECT{m_x, m_y, m_x + DisplayedWidth(), m_y + DisplayedHeight()};
    return true;
}

bool TexturedQuadSprite::Overlaps(DeviceDrawable* other) {
    RECT mine;
    RECT theirs;
    if (!other || !GetBounds(&mine) || !other->GetBounds(&theirs)) return false;
    return mine.left < theirs.right && theirs.left < mine.right && mine.top < theirs.bottom &&
           theirs.top < mine.bottom;
}

bool TexturedQuadSprite::HitTest(std::int32_t px, std::int32_t py, bool opaqueOnly) {
    RECT bounds;
    if (!GetBounds(&bounds)) return false;
    if (px < bounds.left || px >= bounds.right || py < bounds.top || py >= bounds.bottom) return false;
    if (!opaqueOnly || m_texture->Kind() != kSurfaceTextureImage) return true;
    auto* image = static_cast<TextureImage*>(m_texture);
    const std::int32_t key = image->DirectDrawImage::ColourKey();
    if (key == -1) return true;
    const std::int32_t sourceWidth = m_sourceRect.right - m_sourceRect.left;
    const std::int32_t sourceHeight = m_sourceRect.bottom - m_sourceRect.top;
    std::int32_t lx = px - bounds.left;
    std::int32_t ly = py - bounds.top;
    if (m_width) lx = static_cast<std::int32_t>(static_cast<double>(sourceWidth) / m_width * lx);
    if (m_height) ly = static_cast<std::int32_t>(static_cast<double>(sourceHeight) / m_height * ly);
    // The picture pixel Draw shows there: source origin and offset, then into the texture.
    lx += m_sourceRect.left + m_sourceOffset.x;
    ly += m_sourceRect.top + m_sourceOffset.y;
    const std::int32_t pictureWidth = m_texture->PictureWidth();
    const std::int32_t pictureHeight = m_texture->PictureHeight();
    if (m_texture->TextureWidth() < pictureWidth && pictureWidth > 0)
        lx = static_cast<std::int32_t>(static_cast<std::int64_t>(lx) * m_texture->TextureWidth() / pictureWidth);
    if (m_texture->TextureHeight() < pictureHeight && pictureHeight > 0)
        ly = static_cast<std::int32_t>(static_cast<std::int64_t>(ly) * m_texture->TextureHeight() / pictureHeight);
    return image->GetPixel(lx, ly) != key;
}

std::int32_t TexturedQuadSprite::Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice* device) {
    if (!IsEnabled()) return 0;
    if (!device || !m_texture) return 1;
    if (!device->Device()) return 0;
    if (device->SetTexture(m_texture) != 0) return 3;
    if (AppliesStates(*this)) {
        SendBlend(device, m_blend);
        device->SetColorOp(m_stage[0]);
        device->SetColorArg1(m_stage[1]);
        device->SetColorArg2(m_stage[2]);
        device->SetAlphaOp(m_stage[3]);
        device->SetAlphaArg1(m_stage[4]);
        device->SetAlphaArg2(m_stage[5]);
    }
    const HRESULT result =
        device->Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, kTexturedVertexFormat, m_vertices, 4, 0);
    return FAILED(result) ? 4 : 0;
}

std::int32_t TexturedQuadSpriteEx::Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) {
    if (IsEnabled() && device && device->Device() && m_texture)
        static_cast<TextureScreen*>(m_texture)->UpdateSurface(true);
    return TexturedQuadSprite::Draw(target, area, device);
}

bool TexturedQuadSprite::ForgetSurface(const Surface*, const Texture* texture) {
    if (!texture || m_texture != texture) return false;
    Clear();
    SetEnabled(false);
    return true;
}

void TexturedQuadSprite::SetBlendStates(std::uint8_t enable, std::uint8_t source, std::uint8_t destination) {
    m_blend[0] = enable;
    m_blend[1] = source;
    m_blend[2] = destination;
}

void TexturedQuadSprite::SetColourOps(std::uint8_t operation, std::uint8_t first, std::uint8_t second) {
    m_stage[0] = operation;
    m_stage[1] = first;
    m_stage[2] = second;
}

void TexturedQuadSprite::SetAlphaOps(std::uint8_t operation, std::uint8_t first, std::uint8_t second) {
    m_stage[3] = operation;
    m_stage[4] = first;
    m_stage[5] = second;
}

void TexturedQuadSprite::SetBrightness(bool additive, std::int32_t alpha, std::int32_t level) {
    BrightnessBlend(m_blend, additive);
    SetAlphaOps(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    SetAlphaAll(alpha);
    // Held to 0..510: a grey beyond one byte would spill into the neighbouring colour bytes.
    level = std::clamp(level, 0, 510);
    SetColourOps(level < 255 ? D3DTOP_SUBTRACT : D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    const std::uint32_t grey = static_cast<std::uint32_t>(level < 255 ? 255 - level : level - 255);
    SetColourAll((grey << 16) | (grey << 8) | grey);
}

void TexturedQuadSprite::SetColourAll(std::uint32_t rgb) {
    for (TexturedVertex& v : m_vertices) v.diffuse = WithRgb(v.diffuse, rgb);
}
void TexturedQuadSprite::SetColourEach(const std::uint32_t rgb[4]) {
    for (int i = 0; i < 4; ++i) m_vertices[i].diffuse = WithRgb(m_vertices[i].diffuse, rgb[i]);
}
void TexturedQuadSprite::SetColourOne(std::int32_t index, std::uint32_t rgb) {
    if (index >= 0 && index < 4) m_vertices[index].diffuse = WithRgb(m_vertices[index].diffuse, rgb);
}
void TexturedQuadSprite::SetAlphaAll(std::int32_t alpha) {
    for (TexturedVertex& v : m_vertices) v.diffuse = WithAlpha(v.diffuse, alpha);
}
void TexturedQuadSprite::SetAlphaEach(const std::int32_t alpha[4]) {
    for (int i = 0; i < 4; ++i) m_vertices[i].diffuse = WithAlpha(m_vertices[i].diffuse, alpha[i]);
}
void TexturedQuadSprite::SetAlphaOne(std::int32_t index, std::int32_t alpha) {
    if (index >= 0 && index < 4) m_vertices[index].diffuse = WithAlpha(m_vertices[index].diffuse, alpha);
}

void TexturedQuadSprite::SetCorners(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                                    std::int32_t x2, std::int32_t y2, std::int32_t x3, std::int32_t y3) {
    const std::int32_t xs[4] = {x0, x1, x2, x3};
    const std::int32_t ys[4] = {y0, y1, y2, y3};
    for (int i = 0; i < 4; ++i) {
        m_vertices[i].x = static_cast<float>(xs[i]);
        m_vertices[i].y = static_cast<float>(ys[i]);
    }
}

bool TexturedQuadSprite::SetSourceRect(std::int32_t offsetX, std::int32_t offsetY, const RECT* rect) {
    if (!Accepts(m_texture)) return false;
    if (rect) {
        const RECT whole = {0, 0, m_texture->PictureWidth(), m_texture->PictureHeight()};
        if (!IntersectRect(&m_sourceRect, rect, &whole)) m_sourceRect = RECT{0, 0, 0, 0};
        SetPosition(m_x, m_y);
    }
    m_sourceOffset = POINT{offsetX, offsetY};
    SetTextureCoordinates();
    return true;
}

void TexturedQuadSprite::ApplyAnchor(std::int32_t angle, std::int32_t pivot) {
    const std::int32_t w = DisplayedWidth();
    const std::int32_t h = DisplayedHeight();
    const POINT p = CornerPivot(pivot, w, h);
    LayRect(m_vertices, m_x, m_y, w, h);
    Rotate(m_vertices, 4, m_x + p.x, m_y + p.y, angle);
}

// ---------------------------------------------------------------- ColourRectSprite

ColourRectSprite::ColourRectSprite() {
    for (ColouredVertex& v : m_vertices) Reset(v);
    BlendForAlpha(0xFF, m_blend);
}

std::int32_t ColourRectSprite::SetUp(std::int32_t width, std::int32_t height, std::uint32_t colour, std::int32_t x,
                                     std::int32_t y) {
    m_width = m_height = 0;
    m_x = m_y = 0;
    m_rectWidth = width;
    m_rectHeight = height;
    const auto alpha = static_cast<std::uint8_t>(colour >> 24);
    BlendForAlpha(alpha, m_blend);
    if (alpha != 0xFF) SetAlphaAll(alpha);
    SetPosition(x, y);
    SetColourAll(colour);
    return 0;
}

void ColourRectSprite::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    LayRect(m_vertices, x, y, m_width ? m_width : m_rectWidth, m_height ? m_height : m_rectHeight);
}

void ColourRectSprite::SetSize(std::int32_t width, std::int32_t height) {
    m_width = width;
    m_height = height;
    SetPosition(m_x, m_y);
}

void ColourRectSprite::SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
    m_width = width;
    m_height = height;
    SetPosition(x, y);
}

void ColourRectSprite::SetRectSize(std::int32_t width, std::int32_t height) {
    m_rectWidth = width;
    m_rectHeight = height;
    SetPosition(m_x, m_y);
}

void ColourRectSprite::SetRect(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) {
    m_rectWidth = width;
    m_rectHeight = height;
    SetPosition(x, y);
}

bool ColourRectSprite::GetBounds(RECT* out) {
    *out = RECT{m_x, m_y, m_x + (m_width ? m_width : m_rectWidth), m_y + (m_height ? m_height : m_rectHeight)};
    return true;
}

bool ColourRectSprite::HitTest(std::int32_t x, std::int32_t y, bool) {
    RECT b;
    GetBounds(&b);
    return x >= b.left && x < b.right && y >= b.top && y < b.bottom;
}

bool ColourRectSprite::Overlaps(DeviceDrawable* other) {
    RECT mine;
    RECT theirs;
    if (!other || !GetBounds(&mine) || !other->GetBounds(&theirs)) return false;
    return mine.left < theirs.right && theirs.left < mine.right && mine.top < theirs.bottom &&
           theirs.top < mine.bottom;
}

std::int32_t ColourRectSprite::Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice* device) {
    if (!IsEnabled()) return 0;
    if (!device) return 1;
    if (!device->Device()) return 0;
    device->SetTexture(nullptr);
    if (AppliesStates(*this)) SendBlend(device, m_blend);
    const HRESULT result =
        device->Device()->DrawPrimitive(D3DPT_TRIANGLESTRIP, kColouredVertexFormat, m_vertices, 4, 0);
    return FAILED(result) ? 4 : 0;
}

void ColourRectSprite::SetBlendStates(std::uint8_t enable, std::uint8_t source, std::uint8_t destination) {
    m_blend[0] = enable;
    m_blend[1] = source;
    m_blend[2] = destination;
}
void ColourRectSprite::SetBrightness(bool additive, std::int32_t alpha) {
    BrightnessBlend(m_blend, additive);
    SetAlphaAll(alpha);
}
void ColourRectSprite::SetColourAll(std::uint32_t rgb) {
    for (ColouredVertex& v : m_vertices) v.diffuse = WithRgb(v.diffuse, rgb);
}
void ColourRectSprite::SetColourEach(const std::uint32_t rgb[4]) {
    for (int i = 0; i < 4; ++i) m_vertices[i].diffuse = WithRgb(m_vertices[i].diffuse, rgb[i]);
}
void ColourRectSprite::SetColourOne(std::int32_t index, std::uint32_t rgb) {
    if (index >= 0 && index < 4) m_vertices[index].diffuse = WithRgb(m_vertices[index].diffuse, rgb);
}
void ColourRectSprite::SetAlphaAll(std::int32_t alpha) {
    for (ColouredVertex& v : m_vertices) v.diffuse = WithAlpha(v.diffuse, alpha);
}
void ColourRectSprite::SetAlphaEach(const std::int32_t alpha[4]) {
    for (int i = 0; i < 4; ++i) m_vertices[i].diffuse = WithAlpha(m_vertices[i].diffuse, alpha[i]);
}
void ColourRectSprite::SetAlphaOne(std::int32_t index, std::int32_t alpha) {
    if (index >= 0 && index < 4) m_vertices[index].diffuse = WithAlpha(m_vertices[index].diffuse, alpha);
}

void ColourRectSprite::ApplyAnchor(std::int32_t angle, std::int32_t pivot) {
    const std::int32_t w = m_width ? m_width : m_rectWidth;
    const std::int32_t h = m_height ? m_height : m_rectHeight;
    const POINT p = CornerPivot(pivot, w, h);
    LayRect(m_vertices, m_x, m_y, w, h);
    Rotate(m_vertices, 4, m_x + p.x, m_y + p.y, angle);
}

// ---------------------------------------------------------------- ScaledShape

void ScaledShape::Layout() {
    if (!m_vertices || m_count <= 0) return;
    if (m_scale == 0x10000) {
        for (std::int32_t i = 0; i < m_count; ++i) {
            m_vertices[i].x = static_cast<float>(m_x + m_xs[i]);
            m_vertices[i].y = static_cast<float>(m_y + m_ys[i]);
        }
        return;
    }
    const std::int32_t minX = *std::min_element(m_xs, m_xs + m_count);
    const std::int32_t minY = *std::min_element(m_ys, m_ys + m_count);
    for (std::int32_t i = 0; i < m_count; ++i) {
        const std::int64_t sx = ((static_cast<std::int64_t>(m_xs[i]) - minX) * m_scale) >> 16;
        const std::int64_t sy = ((static_cast<std::int64_t>(m_ys[i]) - minY) * m_scale) >> 16;
        m_vertices[i].x = static_cast<float>(m_x + sx);
        m_vertices[i].y = static_cast<float>(m_y + sy);
    }
}

void ScaledShape::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    Layout();
}

void ScaledShape::SetSize(std::int32_t a, std::int32_t) {
    m_scale = a;
    Layout();
}

void ScaledShape::SetSizeAndPosition(std::int32_t a, std::int32_t, std::int32_t x, std::int32_t y) {
    m_scale = a;
    SetPosition(x, y);
}

POINT ScaledShape::CentrePivot(std::int32_t w, std::int32_t h) const { return POINT{w >> 1, h >> 1}; }

bool ScaledShape::ApplyTransform(std::int32_t angle, std::int32_t pivot) {
    if (!m_vertices || m_count <= 0) return false;
    Layout();
    std::int32_t minX = static_cast<std::int32_t>(m_vertices[0].x);
    std::int32_t maxX = minX;
    std::int32_t minY = static_cast<std::int32_t>(m_vertices[0].y);
    std::int32_t maxY = minY;
    for (std::int32_t i = 1; i < m_count; ++i) {
        const auto vx = static_cast<std::int32_t>(m_vertices[i].x);
        const auto vy = static_cast<std::int32_t>(m_vertices[i].y);
        minX = std::min(minX, vx), maxX = std::max(maxX, vx);
        minY = std::min(minY, vy), maxY = std::max(maxY, vy);
    }
    const std::int32_t w = maxX - minX;
    const std::int32_t h = maxY - minY;
    const POINT p = pivot == 4 ? CentrePivot(w, h) : CornerPivot(pivot, w, h);
    Rotate(m_vertices, m_count, m_x + p.x, m_y + p.y, angle);
    return true;
}

std::int32_t ScaledShape::DrawShape(Direct3DDevice* device, D3DPRIMITIVETYPE type) {
    if (!IsEnabled()) return 0;
    if (!device || !m_vertices) return 1;
    if (!device->Device()) return 0;
    device->SetTexture(nullptr);
    if (AppliesStates(*this)) SendBlend(device, m_blend);
    const HRESULT result = device->Device()->DrawPrimitive(type, kColouredVertexFormat, m_vertices,
                                                           static_cast<DWORD>(m_count), 0);
    return FAILED(result) ? 4 : 0;
}

void ScaledShape::SetBlendStates(std::uint8_t enable, std::uint8_t source, std::uint8_t destination) {
    m_blend[0] = enable;
    m_blend[1] = source;
    m_blend[2] = destination;
}
void ScaledShape::SetBrightness(bool additive, std::int32_t alpha) {
    BrightnessBlend(m_blend, additive);
    SetAlphaAll(alpha);
}
void ScaledShape::SetColourAll(std::uint32_t rgb) {
    for (std::int32_t i = 0; m_vertices && i < m_count; ++i) m_vertices[i].diffuse = WithRgb(m_vertices[i].diffuse, rgb);
}
bool ScaledShape::SetColourOne(std::int32_t index, std::uint32_t rgb) {
    if (!m_vertices || index < 0 || index >= m_count) return false;
    m_vertices[index].diffuse = WithRgb(m_vertices[index].diffuse, rgb);
    return true;
}
void ScaledShape::SetAlphaAll(std::int32_t alpha) {
    for (std::int32_t i = 0; m_vertices && i < m_count; ++i) m_vertices[i].diffuse = WithAlpha(m_vertices[i].diffuse, alpha);
}
bool ScaledShape::SetAlphaOne(std::int32_t index, std::int32_t alpha) {
    if (!m_vertices || index < 0 || index >= m_count) return false;
    m_vertices[index].diffuse = WithAlpha(m_vertices[index].diffuse, alpha);
    return true;
}
bool ScaledShape::SetVertex(std::int32_t index, std::int32_t x, std::int32_t y) {
    if (!m_vertices || index < 0 || index >= m_count) return false;
    m_xs[index] = x;
    m_ys[index] = y;
    Layout();
    return true;
}

// ---------------------------------------------------------------- PolygonSprite

PolygonSprite::~PolygonSprite() { Free(); }

void PolygonSprite::Free() {
    delete[] m_xs;
    delete[] m_ys;
    delete[] m_vertices;
    m_xs = m_ys = nullptr;
    m_vertices = nullptr;
    m_count = 0;
}

std::int32_t PolygonSprite::SetUp(std::int32_t count, std::int32_t* xs, std::int32_t* ys, std::uint32_t colour,
                                  std::uint8_t primitiveType, bool adoptArrays) {
    if (!xs || !ys || count <= 0 || !g_mathTables) return 1;
    Free();
    if (adoptArrays) {
        m_xs = xs;
        m_ys = ys;
    } else {
        m_xs = new (std::nothrow) std::int32_t[count];
        m_ys = new (std::nothrow) std::int32_t[count];
        if (m_xs && m_ys) {
            std::copy(xs, xs + count, m_xs);
            std::copy(ys, ys + count, m_ys);
        }
    }
    m_vertices = new (std::nothrow) ColouredVertex[count];
    if (!m_xs || !m_ys || !m_vertices) {
        Free();
        return 2;
    }
    m_count = count;
    for (std::int32_t i = 0; i < count; ++i) {
        Reset(m_vertices[i]);
        m_vertices[i].x = static_cast<float>(m_xs[i]);
        m_vertices[i].y = static_cast<float>(m_ys[i]);
        m_vertices[i].diffuse = colour;
    }
    BlendForAlpha(static_cast<std::uint8_t>(colour >> 24), m_blend);
    m_type = primitiveType;
    return 0;
}

bool PolygonSprite::SetVertices(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    if (!m_vertices || m_count < 2) return false;
    m_xs[0] = x0, m_ys[0] = y0;
    m_xs[1] = x1, m_ys[1] = y1;
    Layout();
    return true;
}

bool PolygonSprite::SetVertices(std::int32_t count, const std::int32_t* xs, const std::int32_t* ys) {
    if (!m_vertices || !xs || !ys || count < 1 || count > m_count) return false;
    for (std::int32_t i = 0; i < count; ++i) {
        m_xs[i] = xs[i];
        m_ys[i] = ys[i];
    }
    Layout();
    return true;
}

std::int32_t PolygonSprite::Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice* device) {
    return DrawShape(device, static_cast<D3DPRIMITIVETYPE>(m_type));
}

// ---------------------------------------------------------------- TriangleSprite

TriangleSprite::TriangleSprite() {
    for (ColouredVertex& v : m_vertexStore) Reset(v);
    m_xs = m_xsStore;
    m_ys = m_ysStore;
    m_vertices = m_vertexStore;
    m_count = 3;
    BlendForAlpha(0xFF, m_blend);
}

std::int32_t TriangleSprite::SetUp(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                   std::int32_t x3, std::int32_t y3, std::uint32_t colour, std::int32_t x,
                                   std::int32_t y) {
    m_xsStore[0] = x1, m_ysStore[0] = y1;
    m_xsStore[1] = x2, m_ysStore[1] = y2;
    m_xsStore[2] = x3, m_ysStore[2] = y3;
    for (ColouredVertex& v : m_vertexStore) v.diffuse = colour;
    BlendForAlpha(static_cast<std::uint8_t>(colour >> 24), m_blend);
    m_scale = 0x10000;
    SetPosition(x, y);
    return 0;
}

void TriangleSprite::SetVertices(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                                 std::int32_t x3, std::int32_t y3) {
    m_xsStore[0] = x1, m_ysStore[0] = y1;
    m_xsStore[1] = x2, m_ysStore[1] = y2;
    m_xsStore[2] = x3, m_ysStore[2] = y3;
    Layout();
}

POINT TriangleSprite::CentrePivot(std::int32_t, std::int32_t) const {
    std::int32_t sx = 0;
    std::int32_t sy = 0;
    for (const ColouredVertex& v : m_vertexStore) {
        sx += static_cast<std::int32_t>(v.x) - m_x;
        sy += static_cast<std::int32_t>(v.y) - m_y;
    }
    return POINT{sx / 3, sy / 3};
}

std::int32_t TriangleSprite::Draw(IDirectDrawSurface7*, const RECT*, Direct3DDevice* device) {
    return DrawShape(device, D3DPT_TRIANGLELIST);
}
