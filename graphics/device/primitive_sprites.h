// Device drawables made of Direct3D primitives from transformed and lit vertices:
// - TexturedQuadSprite shows a rectangle of a texture as a quad with per-vertex colour and
//   alpha, stretchable, rotatable about a pivot and free to be distorted corner by corner;
//   TexturedQuadSpriteEx does the same for a TextureScreen, brought up to date before each draw;
// - ColourRectSprite is an untextured rectangle;
// - PolygonSprite draws N vertices with a chosen primitive type, TriangleSprite one triangle;
//   these two scale by a 16.16 factor instead of a size.
//
// States go through the screen device's cache. Without a Direct3D device they draw nothing and
// answer 0, so that the drawables after them in the list still draw. Textures are not owned; a
// polygon owns its coordinate arrays (adopted or copied) and its vertices.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

#include <cstdint>

#include "graphics/device/device_drawable.h"

class Texture;

// 28 bytes, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct TexturedVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    float u, v;
};
// 20 bytes, D3DFVF_XYZRHW | D3DFVF_DIFFUSE.
struct ColouredVertex {
    float x, y, z, rhw;
    DWORD diffuse;
};
constexpr DWORD kTexturedVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kColouredVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// The blend triple (enable, source, destination) for a colour's alpha byte: opaque 0xFF draws
// with blending off (ONE, ZERO), anything else blends by source alpha.
void BlendForAlpha(std::uint8_t alpha, std::uint8_t blend[3]);
// The same for a texture's pixel-format code: below 64 (no alpha channel) opaque.
void BlendForFormat(std::int32_t formatCode, std::uint8_t blend[3]);

class TexturedQuadSprite : public DeviceDrawable {
public:
    TexturedQuadSprite();

    DeviceDrawableKind Kind() const override { return kDrawableTexturedQuad; }
    std::int32_t GetX() const override { return m_x; }
    std::int32_t GetY() const override { return m_y; }
    // Lays the quad out axis-aligned from position and size.
    void SetPosition(std::int32_t x, std::int32_t y) override;
    void SetSize(std::int32_t width, std::int32_t height) override;
    void SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) override;
    void MoveBy(std::int32_t dx, std::int32_t dy) override { SetPosition(m_x + dx, m_y + dy); }
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    bool Overlaps(DeviceDrawable* other) override;
    bool GetBounds(RECT* out) override;
    // 0 drawn or disabled or no Direct3D device; 1 no device layer or texture; 3 the texture
    // cannot be bound; 4 DrawPrimitive refused.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;
    std::int32_t RestoreContent() override { return 0; }
    bool ForgetSurface(const Surface* surface, const Texture* texture) override;

    // No texture, offset, position and size 0, every vertex white with alpha 255.
    virtual void Clear();
    // 0; 1 a texture without a surface (or another kind for the Ex form).
    virtual std::int32_t SetUp(Texture* texture, const RECT* sourceRect, std::int32_t x, std::int32_t y);
    virtual std::int32_t SetTexture(Texture* texture);

    void SetBlendStates(std::uint8_t enable, std::uint8_t source, std::uint8_t destination);
    void SetColourOps(std::uint8_t operation, std::uint8_t first, std::uint8_t second);
    void SetAlphaOps(std::uint8_t operation, std::uint8_t first, std::uint8_t second);
    // level 0 (black) .. 255 (the texture's colours) .. 510 (white), held to that range; alpha
    // held to 0..255.
    void SetBrightness(bool additive, std::int32_t alpha, std::int32_t level);
    void SetColourAll(std::uint32_t rgb);
    void SetColourEach(const std::uint32_t rgb[4]);
    void SetColourOne(std::int32_t index, std::uint32_t rgb);
    void SetAlphaAll(std::int32_t alpha);
    void SetAlphaEach(const std::int32_t alpha[4]);
    void SetAlphaOne(std::int32_t index, std::int32_t alpha);
    // Top-left, top-right, bottom-left, bottom-right.
    void SetCorners(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                    std::int32_t y2, std::int32_t x3, std::int32_t y3);
    // false without a usable texture.
    bool SetSourceRect(std::int32_t offsetX, std::int32_t offsetY, const RECT* rect);
    // angle in 1/512 turns; pivot 0..3 the corners, 4 the centre (others: the top-left).
    void ApplyAnchor(std::int32_t angle, std::int32_t pivot);

    const TexturedVertex* Vertices() const { return m_vertices; }
    Texture* GetTexture() const { return m_texture; }
    const RECT& SourceRect() const { return m_sourceRect; }
    POINT SourceOffset() const { return m_sourceOffset; }
    const std::uint8_t* Blend() const { return m_blend; }
    const std::uint8_t* StageOps() const { return m_stage; }

protected:
    virtual bool Accepts(Texture* texture) const;
    void SetTextureCoordinates();
    std::int32_t DisplayedWidth() const;
    std::int32_t DisplayedHeight() const;

    Texture* m_texture = nullptr;
    std::uint8_t m_blend[3] = {};
    // colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2.
    std::uint8_t m_stage[6] = {};
    TexturedVertex m_vertices[4];
    RECT m_sourceRect = {0, 0, 0, 0};
    POINT m_sourceOffset = {0, 0};
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

class TexturedQuadSpriteEx final : public TexturedQuadSprite {
public:
    DeviceDrawableKind Kind() const override { return kDrawableTexturedQuadEx; }
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;

protected:
    // Texture screens only.
    bool Accepts(Texture* texture) const override;
};

class ColourRectSprite final : public DeviceDrawable {
public:
    ColourRectSprite();

    DeviceDrawableKind Kind() const override { return kDrawableColourRect; }
    std::int32_t GetX() const override { return m_x; }
    std::int32_t GetY() const override { return m_y; }
    void SetPosition(std::int32_t x, std::int32_t y) override;
    // The displayed size (0: the rectangle's own).
    void SetSize(std::int32_t width, std::int32_t height) override;
    void SetSizeAndPosition(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y) override;
    void MoveBy(std::int32_t dx, std::int32_t dy) override { SetPosition(m_x + dx, m_y + dy); }
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    bool Overlaps(DeviceDrawable* other) override;
    bool GetBounds(RECT* out) override;
    // 0 drawn, disabled or no Direct3D device; 1 no device layer; 4 DrawPrimitive refused.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;
    std::int32_t RestoreContent() override { return 0; }

    // colour 0xAARRGGBB. 0.
    std::int32_t SetUp(std::int32_t width, std::int32_t height, std::uint32_t colour, std::int32_t x, std::int32_t y);
    // The rectangle's own size (and position).
    void SetRectSize(std::int32_t width, std::int32_t height);
    void SetRect(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y);
    void SetBlendStates(std::uint8_t enable, std::uint8_t source, std::uint8_t destination);
    void SetBrightness(bool additive, std::int32_t alpha);
    void SetColourAll(std::uint32_t rgb);
    void SetColourEach(const std::uint32_t rgb[4]);
    void SetColourOne(std::int32_t index, std::uint32_t rgb);
    void SetAlphaAll(std::int32_t alpha);
    void SetAlphaEach(const std::int32_t alpha[4]);
    void SetAlphaOne(std::int32_t index, std::int32_t alpha);
    void ApplyAnchor(std::int32_t angle, std::int32_t pivot);

    const ColouredVertex* Vertices() const { return m_vertices; }
    const std::uint8_t* Blend() const { return m_blend; }

private:
    std::uint8_t m_blend[3] = {};
    ColouredVertex m_vertices[4];
    std::int32_t m_rectWidth = 0;
    std::int32_t m_rectHeight = 0;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
};

// What the polygon and the triangle share: free vertices laid out at a position with a 16.16
// scale, never hit, never overlapping, without bounds.
class ScaledShape : public DeviceDrawable {
public:
    std::int32_t GetX() const override { return m_x; }
    std::int32_t GetY() const override { return m_y; }
    void SetPosition(std::int32_t x, std::int32_t y) override;
    // The scale is a; b is not used.
    void SetSize(std::int32_t a, std::int32_t b) override;
    void SetSizeAndPosition(std::int32_t a, std::int32_t b, std::int32_t x, std::int32_t y) override;
    void MoveBy(std::int32_t dx, std::int32_t dy) override { SetPosition(m_x + dx, m_y + dy); }
    bool HitTest(std::int32_t, std::int32_t, bool) override { return false; }
    bool Overlaps(DeviceDrawable*) override { return false; }
    bool GetBounds(RECT*) override { return false; }
    std::int32_t RestoreContent() override { return 0; }

    void SetBlendStates(std::uint8_t enable, std::uint8_t source, std::uint8_t destination);
    void SetBrightness(bool additive, std::int32_t alpha);
    void SetColourAll(std::uint32_t rgb);
    bool SetColourOne(std::int32_t index, std::uint32_t rgb);
    void SetAlphaAll(std::int32_t alpha);
    bool SetAlphaOne(std::int32_t index, std::int32_t alpha);
    bool SetVertex(std::int32_t index, std::int32_t x, std::int32_t y);
    // Lays out, then turns every vertex about the pivot (angle in 1/512 turns). False without
    // vertices.
    bool ApplyTransform(std::int32_t angle, std::int32_t pivot);

    std::int32_t Scale() const { return m_scale; }
    const std::uint8_t* Blend() const { return m_blend; }
    std::int32_t Count() const { return m_count; }
    const ColouredVertex* Vertices() const { return m_vertices; }

protected:
    void Layout();
    // The pivot offset of value 4 within a w x h box.
    virtual POINT CentrePivot(std::int32_t w, std::int32_t h) const;
    std::int32_t DrawShape(Direct3DDevice* device, D3DPRIMITIVETYPE type);

    std::int32_t m_count = 0;
    std::int32_t* m_xs = nullptr;
    std::int32_t* m_ys = nullptr;
    ColouredVertex* m_vertices = nullptr;
    std::uint8_t m_blend[3] = {};
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_scale = 0x10000;
};

class PolygonSprite final : public ScaledShape {
public:
    PolygonSprite() = default;
    ~PolygonSprite() override;

    DeviceDrawableKind Kind() const override { return kDrawablePolygon; }
    // 0 drawn, disabled or no Direct3D device; 1 no device layer or no vertices; 4 refused.
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;

    // 0; 1 a missing array, a count of 0 or less, or no math tables (nothing is then adopted
    // or allocated: adopted arrays stay the caller's); 2 no memory (adopted arrays are then
    // freed with the polygon's own). Arrays to adopt come from new[].
    std::int32_t SetUp(std::int32_t count, std::int32_t* xs, std::int32_t* ys, std::uint32_t colour,
                       std::uint8_t primitiveType, bool adoptArrays);
    void SetPrimitiveType(std::uint8_t type) { m_type = type; }
    // The first two vertices; false with fewer than two.
    bool SetVertices(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1);
    // The first count vertices from the two arrays, laid out once; false (nothing changes) for a
    // count below 1 or above the polygon's.
    bool SetVertices(std::int32_t count, const std::int32_t* xs, const std::int32_t* ys);
    void Free();

    std::uint8_t PrimitiveType() const { return m_type; }

private:
    std::uint8_t m_type = D3DPT_TRIANGLELIST;
};

class TriangleSprite final : public ScaledShape {
public:
    TriangleSprite();

    DeviceDrawableKind Kind() const override { return kDrawableTriangle; }
    std::int32_t Draw(IDirectDrawSurface7* target, const RECT* area, Direct3DDevice* device) override;

    // colour 0xAARRGGBB, at (x, y). 0.
    std::int32_t SetUp(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
                       std::int32_t y3, std::uint32_t colour, std::int32_t x, std::int32_t y);
    void SetVertices(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
                     std::int32_t y3);

protected:
    // The mean of the three scaled vertex offsets.
    POINT CentrePivot(std::int32_t w, std::int32_t h) const override;

private:
    std::int32_t m_xsStore[3] = {};
    std::int32_t m_ysStore[3] = {};
    ColouredVertex m_vertexStore[3];
};
