// The Direct3D primitive drawables on the recording device: exact vertex arrays, the states they
// send, the blend rule, rotation and scale layouts, and the screen device's polygon creation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/compose/math_tables.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/interfaces/texture.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/support/fake_direct3d_device.h"

namespace {

using testsupport::CountedSurface;
using testsupport::DeviceCall;
using testsupport::LoggingDirect3DDevice;
using testsupport::Render;
using testsupport::Stage;

// A texture of 128 x 64 holding a 100 x 50 picture, u = (x + 0.5) / 128, v = (y + 0.5) / 64.
class PlainTexture final : public Texture {
public:
    explicit PlainTexture(IDirectDrawSurface7* surface, std::int32_t format = 32) : m_surface(surface), m_format(format) {}
    void* XM_METHOD DeletingDestructor(std::uint32_t) override { return this; }
    SurfaceKind XM_METHOD Kind() override { return kSurfaceTextureText; }
    std::int32_t XM_METHOD TextureWidth() override { return 128; }
    std::int32_t XM_METHOD TextureHeight() override { return 64; }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t, std::int32_t, std::int32_t) override { return 0; }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t XM_METHOD ColourKey() override { return -1; }
    std::int32_t XM_METHOD ClearColourKey() override { return 0; }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }
    std::int32_t XM_METHOD FormatCode() override { return m_format; }
    std::int32_t XM_METHOD PictureWidth() override { return 100; }
    std::int32_t XM_METHOD PictureHeight() override { return 50; }
    float XM_METHOD U(std::int32_t x) override { return (static_cast<float>(x) + 0.5f) / 128.0f; }
    float XM_METHOD V(std::int32_t y) override { return (static_cast<float>(y) + 0.5f) / 64.0f; }

private:
    IDirectDrawSurface7* m_surface;
    std::int32_t m_format;
};

template <class Vertex>
std::vector<std::uint8_t> Bytes(const std::vector<Vertex>& vertices) {
    std::vector<std::uint8_t> out(vertices.size() * sizeof(Vertex));
    std::memcpy(out.data(), vertices.data(), out.size());
    return out;
}

ColouredVertex CV(float x, float y, DWORD diffuse) { return ColouredVertex{x, y, 0.0f, 1.0f, diffuse}; }
TexturedVertex TV(float x, float y, DWORD diffuse, float u, float v) {
    return TexturedVertex{x, y, 0.0f, 1.0f, diffuse, u, v};
}

class PrimitiveSprites : public ::testing::Test {
protected:
    void SetUp() override {
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_device.AdoptDevice(m_log.Interface()));
    }
    void TearDown() override {
        m_device.ReleaseDevice();
        g_mathTables = nullptr;
    }
    std::vector<DeviceCall> StateCalls() const {
        std::vector<DeviceCall> out;
        for (const DeviceCall& c : m_log.calls)
            if (c.what != DeviceCall::kBeginScene && c.what != DeviceCall::kEndScene) out.push_back(c);
        return out;
    }

    MathTables m_tables;
    LoggingDirect3DDevice m_log;
    Direct3DDevice m_device;
    CountedSurface m_surface;
};

TEST_F(PrimitiveSprites, QuadDrawsItsStripWithTheTextureAndItsStates) {
    PlainTexture texture(m_surface.Interface());
    TexturedQuadSprite quad;
    ASSERT_EQ(0, quad.SetUp(&texture, nullptr, 10, 20));
    ASSERT_EQ(0, quad.Draw(nullptr, nullptr, &m_device));
    ASSERT_EQ(1u, m_log.draws.size());
    const auto& draw = m_log.draws[0];
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, draw.type);
    EXPECT_EQ(DWORD{0x144}, draw.format);
    EXPECT_EQ(DWORD{4}, draw.count);
    EXPECT_EQ(DWORD{0}, draw.flags);
    const float l = 0.5f / 128, r = 100.5f / 128, t = 0.5f / 64, b = 50.5f / 64;
    EXPECT_EQ(Bytes<TexturedVertex>({TV(10, 20, 0xFFFFFFFF, l, t), TV(110, 20, 0xFFFFFFFF, r, t),
                                     TV(10, 70, 0xFFFFFFFF, l, b), TV(110, 70, 0xFFFFFFFF, r, b)}),
              draw.bytes);
    const DWORD surface = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(m_surface.Interface()));
    EXPECT_EQ((std::vector<DeviceCall>{
                  {DeviceCall::kTexture, 0, surface},
                  Render(D3DRENDERSTATE_ALPHABLENDENABLE, 0), Render(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE),
                  Render(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ZERO), Stage(D3DTSS_COLOROP, D3DTOP_MODULATE),
                  Stage(D3DTSS_COLORARG1, D3DTA_TEXTURE), Stage(D3DTSS_COLORARG2, D3DTA_CURRENT),
                  Stage(D3DTSS_ALPHAOP, D3DTOP_SELECTARG1), Stage(D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
                  Stage(D3DTSS_ALPHAARG2, D3DTA_CURRENT)}),
              StateCalls());

    // A source rectangle with an offset: the coordinates follow, the size is the rectangle's.
    const RECT part = {20, 10, 60, 30};
    ASSERT_TRUE(quad.SetSourceRect(4, 2, &part));
    const TexturedVertex* v = quad.Vertices();
    EXPECT_EQ(50.0f, v[3].x);
    EXPECT_EQ(40.0f, v[3].y);
    EXPECT_EQ(24.5f / 128, v[0].u);
    EXPECT_EQ(64.5f / 128, v[3].u);
    EXPECT_EQ(12.5f / 64, v[0].v);
}

TEST_F(PrimitiveSprites, BlendRule) {
    struct Case {
        const char* name;
        std::uint32_t colour;
        std::int32_t format;  // 0: a colour rectangle, else a quad of that format
        std::uint8_t expected[3];
    };
    const Case cases[] = {
        {"opaque colour", 0xFFFF0000, 0, {0, D3DBLEND_ONE, D3DBLEND_ZERO}},
        {"half colour", 0x80FF0000, 0, {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}},
        {"format 32", 0, 32, {0, D3DBLEND_ONE, D3DBLEND_ZERO}},
        {"format 64", 0, 64, {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}},
        {"format 256", 0, 256, {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint8_t* blend;
        ColourRectSprite rect;
        TexturedQuadSprite quad;
        PlainTexture texture(m_surface.Interface(), c.format);
        if (c.format == 0) {
            ASSERT_EQ(0, rect.SetUp(4, 4, c.colour, 0, 0));
            blend = rect.Blend();
            EXPECT_EQ(static_cast<DWORD>(c.colour), rect.Vertices()[2].diffuse);
        } else {
            ASSERT_EQ(0, quad.SetUp(&texture, nullptr, 0, 0));
            blend = quad.Blend();
        }
        EXPECT_EQ(c.expected[0], blend[0]);
        EXPECT_EQ(c.expected[1], blend[1]);
        EXPECT_EQ(c.expected[2], blend[2]);
    }
}

TEST_F(PrimitiveSprites, ColourRectangleStrip) {
    ColourRectSprite rect;
    ASSERT_EQ(0, rect.SetUp(30, 20, 0x80FF0000, 5, 6));
    rect.SetSize(40, 0);
    ASSERT_EQ(0, rect.Draw(nullptr, nullptr, &m_device));
    ASSERT_EQ(1u, m_log.draws.size());
    EXPECT_EQ(DWORD{0x44}, m_log.draws[0].format);
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, m_log.draws[0].type);
    EXPECT_EQ(Bytes<ColouredVertex>({CV(5, 6, 0x80FF0000), CV(45, 6, 0x80FF0000), CV(5, 26, 0x80FF0000),
                                     CV(45, 26, 0x80FF0000)}),
              m_log.draws[0].bytes);
    // Stage 0 holds no texture yet, so unbinding it sends nothing.
    EXPECT_EQ((std::vector<DeviceCall>{Render(D3DRENDERSTATE_ALPHABLENDENABLE, 1),
                                       Render(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA),
                                       Render(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA)}),
              StateCalls());
    EXPECT_TRUE(rect.HitTest(44, 25, true));
    EXPECT_FALSE(rect.HitTest(45, 25, true));
}

TEST_F(PrimitiveSprites, AnchorTurnsAQuarterAboutTheCentre) {
    PlainTexture texture(m_surface.Interface());
    TexturedQuadSprite quad;
    ASSERT_EQ(0, quad.SetUp(&texture, nullptr, 0, 0));
    quad.ApplyAnchor(128, 4);
    const TexturedVertex* v = quad.Vertices();
    const float expected[4][2] = {{25, 75}, {25, -25}, {75, 75}, {75, -25}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(expected[i][0], v[i].x) << i;
        EXPECT_EQ(expected[i][1], v[i].y) << i;
    }
}

TEST_F(PrimitiveSprites, BrightnessAndItsRanges) {
    PlainTexture texture(m_surface.Interface());
    TexturedQuadSprite quad;
    ASSERT_EQ(0, quad.SetUp(&texture, nullptr, 0, 0));
    quad.SetBrightness(false, 255, 255);
    EXPECT_EQ(D3DTOP_ADD, quad.StageOps()[0]);
    EXPECT_EQ(DWORD{0xFF000000}, quad.Vertices()[0].diffuse) << "ADD of black keeps the texture's colours";
    EXPECT_EQ(D3DBLEND_INVSRCALPHA, quad.Blend()[2]);
    EXPECT_EQ(D3DTOP_MODULATE, quad.StageOps()[3]);
    EXPECT_EQ(D3DTA_DIFFUSE, quad.StageOps()[5]);

    struct Case {
        std::int32_t alpha, level;
        DWORD diffuse;
        std::uint8_t colourOp;
    };
    const Case cases[] = {
        {128, 0, 0x80FFFFFF, D3DTOP_SUBTRACT},
        {255, 510, 0xFFFFFFFF, D3DTOP_ADD},
        {300, 600, 0xFFFFFFFF, D3DTOP_ADD},  // beyond the range: held, no spill into red or alpha
        {-4, -20, 0x00FFFFFF, D3DTOP_SUBTRACT},
        {10, 300, 0x0A2D2D2D, D3DTOP_ADD},
    };
    for (const Case& c : cases) {
        quad.SetBrightness(true, c.alpha, c.level);
        EXPECT_EQ(c.diffuse, quad.Vertices()[3].diffuse) << c.level;
        EXPECT_EQ(c.colourOp, quad.StageOps()[0]) << c.level;
        EXPECT_EQ(D3DBLEND_ONE, quad.Blend()[2]);
    }
}

TEST_F(PrimitiveSprites, PolygonScaleAndTheJumpAtOne) {
    std::int32_t xs[] = {10, 30, 20};
    std::int32_t ys[] = {5, 5, 25};
    PolygonSprite polygon;
    ASSERT_EQ(0, polygon.SetUp(3, xs, ys, 0xFF00FF00, D3DPT_TRIANGLEFAN, false));
    polygon.SetSizeAndPosition(0x8000, 0, 0, 0);
    EXPECT_EQ(0.0f, polygon.Vertices()[0].x);
    EXPECT_EQ(10.0f, polygon.Vertices()[1].x);
    EXPECT_EQ(10.0f, polygon.Vertices()[2].y);
    // At exactly 1.0 the coordinates are taken as they are, not from the smallest.
    polygon.SetSize(0x10000, 0);
    EXPECT_EQ(10.0f, polygon.Vertices()[0].x);
    EXPECT_EQ(25.0f, polygon.Vertices()[2].y);
    polygon.SetSize(0x10001, 0);
    EXPECT_EQ(0.0f, polygon.Vertices()[0].x);

    polygon.SetSize(0x10000, 0);
    polygon.SetPosition(100, 200);
    ASSERT_EQ(0, polygon.Draw(nullptr, nullptr, &m_device));
    ASSERT_EQ(1u, m_log.draws.size());
    EXPECT_EQ(D3DPT_TRIANGLEFAN, m_log.draws[0].type);
    EXPECT_EQ(DWORD{3}, m_log.draws[0].count);
    EXPECT_EQ(Bytes<ColouredVertex>({CV(110, 205, 0xFF00FF00), CV(130, 205, 0xFF00FF00), CV(120, 225, 0xFF00FF00)}),
              m_log.draws[0].bytes);

    EXPECT_FALSE(polygon.SetVertex(3, 0, 0)) << "index equal to the count";
    EXPECT_TRUE(polygon.SetVertex(2, 0, 0));
    EXPECT_FALSE(polygon.SetAlphaOne(3, 0));
    polygon.SetBrightness(false, 999);
    EXPECT_EQ(DWORD{0xFF00FF00}, polygon.Vertices()[0].diffuse) << "alpha held to 255, colour untouched";
}

TEST_F(PrimitiveSprites, PolygonRefusesAnEmptyCountAndTurnsFarVerticesExactly) {
    std::int32_t xs[] = {0, 40000};
    std::int32_t ys[] = {0, -40000};
    PolygonSprite polygon;
    EXPECT_EQ(1, polygon.SetUp(0, xs, ys, 0xFFFFFFFF, D3DPT_LINELIST, false));
    EXPECT_EQ(1, polygon.SetUp(-3, xs, ys, 0xFFFFFFFF, D3DPT_LINELIST, false));
    EXPECT_EQ(0, polygon.Count());
    EXPECT_EQ(nullptr, polygon.Vertices());
    EXPECT_EQ(1, polygon.Draw(nullptr, nullptr, &m_device)) << "no vertices";
    EXPECT_FALSE(polygon.ApplyTransform(0, 0));

    ASSERT_EQ(0, polygon.SetUp(2, xs, ys, 0xFFFFFFFF, D3DPT_LINELIST, false));
    ASSERT_TRUE(polygon.ApplyTransform(0, 0));
    EXPECT_EQ(40000.0f, polygon.Vertices()[1].x) << "64-bit products beyond 32767";
    EXPECT_EQ(-40000.0f, polygon.Vertices()[1].y);
    ASSERT_TRUE(polygon.ApplyTransform(256, 0));  // half a turn about (0, 0)
    EXPECT_EQ(-40000.0f, polygon.Vertices()[1].x);
    EXPECT_EQ(40000.0f, polygon.Vertices()[1].y);
}

TEST_F(PrimitiveSprites, TriangleListAndItsCentre) {
    TriangleSprite triangle;
    ASSERT_EQ(0, triangle.SetUp(0, 0, 30, 0, 0, 30, 0xFF0000FF, 10, 10));
    ASSERT_EQ(0, triangle.Draw(nullptr, nullptr, &m_device));
    ASSERT_EQ(1u, m_log.draws.size());
    EXPECT_EQ(D3DPT_TRIANGLELIST, m_log.draws[0].type);
    EXPECT_EQ(Bytes<ColouredVertex>({CV(10, 10, 0xFF0000FF), CV(40, 10, 0xFF0000FF), CV(10, 40, 0xFF0000FF)}),
              m_log.draws[0].bytes);
    ASSERT_TRUE(triangle.ApplyTransform(256, 4));  // half a turn about the mean (20, 20)
    EXPECT_EQ(30.0f, triangle.Vertices()[0].x);
    EXPECT_EQ(0.0f, triangle.Vertices()[1].x);
    EXPECT_EQ(0.0f, triangle.Vertices()[2].y);
}

TEST_F(PrimitiveSprites, DrawResults) {
    PlainTexture texture(m_surface.Interface());
    PlainTexture empty(nullptr);
    TexturedQuadSprite quad;
    ASSERT_EQ(0, quad.SetUp(&texture, nullptr, 0, 0));
    EXPECT_EQ(1, quad.SetUp(&empty, nullptr, 0, 0)) << "no surface";
    EXPECT_EQ(1, quad.Draw(nullptr, nullptr, nullptr));
    m_log.refuseDraw = true;
    EXPECT_EQ(4, quad.Draw(nullptr, nullptr, &m_device));
    m_log.refuseDraw = false;
    quad.SetEnabled(false);
    EXPECT_EQ(0, quad.Draw(nullptr, nullptr, &m_device));
    EXPECT_EQ(1u, m_log.draws.size());

    // Without a Direct3D device nothing is drawn and the frame goes on.
    Direct3DDevice bare;
    ColourRectSprite rect;
    rect.SetUp(4, 4, 0xFFFFFFFF, 0, 0);
    TriangleSprite triangle;
    quad.SetEnabled(true);
    EXPECT_EQ(0, rect.Draw(nullptr, nullptr, &bare));
    EXPECT_EQ(0, triangle.Draw(nullptr, nullptr, &bare));
    EXPECT_EQ(0, quad.Draw(nullptr, nullptr, &bare));
}

// A polygon whose allocation fails frees the arrays it would have adopted, and only those.
TEST_F(PrimitiveSprites, PolygonCreationFailureFreesOnlyAdoptedArrays) {
    static int calls;
    calls = 0;
    ScreenObjectAllocationGate = [] { return ++calls != 1; };
    testsupport::PoisonFreedMemory poison;
    ScreenDevice device;
    PolygonSprite* polygon = reinterpret_cast<PolygonSprite*>(1);
    std::int32_t kept[2] = {1, 2};
    EXPECT_EQ(2, device.CreatePolygon(&polygon, 2, kept, kept, 0xFFFFFFFF, D3DPT_LINELIST, 0));
    EXPECT_EQ(nullptr, polygon);
    EXPECT_EQ(2, kept[1]);
    calls = 0;
    auto* xs = new std::int32_t[2]{1, 2};
    auto* ys = new std::int32_t[2]{3, 4};
    EXPECT_EQ(2, device.CreatePolygon(&polygon, 2, xs, ys, 0xFFFFFFFF, D3DPT_LINELIST, 1));
    EXPECT_NE(-1, poison.FreedAt(xs));
    EXPECT_NE(-1, poison.FreedAt(ys));
    ScreenObjectAllocationGate = nullptr;

    std::int32_t* adopted = new std::int32_t[2]{0, 9};
    std::int32_t* adoptedY = new std::int32_t[2]{0, 9};
    ASSERT_EQ(0, device.CreatePolygon(&polygon, 2, adopted, adoptedY, 0xFFFFFFFF, D3DPT_LINELIST, 1));
    EXPECT_EQ(1, device.DrawableCount());
    EXPECT_EQ(polygon, device.FindDrawable(HandleTable<Surface>::WordOf(polygon)));
    EXPECT_EQ(0, device.ReleaseDrawable(polygon));
}

}  // namespace
