// DirectDraw images on surfaces Wine cannot make misbehave: fake surfaces that are lost, busy
// with a blit, refuse their lock or their device context, or have guard bytes around their
// pixels for damaged ELG data to hit; and the result codes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "graphics/image/image.h"
#include "tests/graphics/surfaces/direct_draw_image_fixture.h"
#include "tests/support/image_buffer.h"

namespace {

using namespace ddimage;
using testsupport::FakeDdSurface;

using DirectDrawImageOnFakes = DirectDrawImageFixture;

// Every failure leaves the image empty.
void ExpectEmpty(DirectDrawImage& image) {
    EXPECT_EQ(nullptr, image.GetSurface());
    EXPECT_EQ(0, image.FormatCode());
    EXPECT_EQ(nullptr, image.FileName());
    EXPECT_EQ(-1, image.GetPixel(0, 0));
}

TEST_F(DirectDrawImageOnFakes, CreateAnswersItsCodes) {
    DDPIXELFORMAT format = Argb32();
    {
        DirectDrawImage image;
        EXPECT_EQ(1, image.Create(0, 10, false, false, nullptr));
        EXPECT_EQ(1, image.Create(10, 0, false, false, nullptr));
        EXPECT_EQ(1, image.Create(-4, 10, false, false, nullptr));
        EXPECT_EQ(1, image.Create(10, 10, false, true, nullptr)) << "a texture without a format";
        ExpectEmpty(image);
    }
    {
        CurrentDirectDrawDevice = nullptr;
        DirectDrawImage image;
        EXPECT_EQ(1, image.Create(10, 10, false, false, nullptr)) << "no device";
        DirectDrawDevice bare;
        DirectDrawImage onBare(&bare);
        EXPECT_EQ(&bare, CurrentDirectDrawDevice) << "a device given becomes the current one";
        EXPECT_EQ(2, onBare.Create(10, 10, false, false, nullptr)) << "no DirectDraw object";
        DirectDrawImage keeps(nullptr);
        EXPECT_EQ(&bare, CurrentDirectDrawDevice);
        CurrentDirectDrawDevice = &m_device;
    }
    {
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.shim.failing = testsupport::DisplayShim::Call::kCreateSurface;
        DirectDrawImage image;
        EXPECT_EQ(3, image.Create(10, 10, false, true, &format));
        ExpectEmpty(image);
    }
    {
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.ServeFakes();
        display.shim.makeSurface = [inner = display.shim.makeSurface, &display](DDSURFACEDESC2* d,
                                                                                 IDirectDrawSurface7** out) {
            const HRESULT r = inner(d, out);
            display.LastFake()->failDesc = true;
            return r;
        };
        DirectDrawImage image;
        EXPECT_EQ(4, image.Create(10, 10, false, false, nullptr));
        ExpectEmpty(image);
        EXPECT_EQ(0, display.LastFake()->references) << "the surface is released";
    }
}

TEST_F(DirectDrawImageOnFakes, LoadAnswersItsCodesAndLeavesNothingBehind) {
    ASSERT_TRUE(testsupport::WriteFile(Game("good.bmp"), BmpOf(4, 2)));
    const Bytes elg = ElgOf(24, 6, 2);
    const Bytes cut(elg.begin(), elg.end() - 3);
    const Bytes garbage = {'N', 'O', 'T', ' ', 'A', ' ', 'P', 'I', 'C', 'T', 'U', 'R', 'E'};
    {
        DirectDrawImage image;
        EXPECT_EQ(1, image.Load(FromFile("missing.elg")));
        ExpectEmpty(image);
        EXPECT_EQ(1, image.Load(LoadSource{nullptr, nullptr, 0, 0}));
        EXPECT_EQ(2, image.Load(FromData(garbage)));
        ExpectEmpty(image);
        EXPECT_EQ(2, image.Load(FromData(cut)));
        ExpectEmpty(image);
        g_imageLoaderHost = nullptr;
        EXPECT_EQ(2, image.Load(FromFile("good.bmp")));
        g_imageLoaderHost = &m_host;
    }
    {
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.shim.failing = testsupport::DisplayShim::Call::kCreateSurface;
        DirectDrawImage image;
        EXPECT_EQ(3, image.Load(FromFile("good.bmp")));
        ExpectEmpty(image);
    }
    {
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.ServeFakes();
        display.shim.makeSurface = [inner = display.shim.makeSurface, &display](DDSURFACEDESC2* d,
                                                                                 IDirectDrawSurface7** out) {
            const HRESULT r = inner(d, out);
            display.LastFake()->failLock = true;
            return r;
        };
        DirectDrawImage image;
        EXPECT_EQ(4, image.Load(FromData(elg))) << "the lock of the direct ELG path";
        ExpectEmpty(image);
        EXPECT_EQ(1 + 3, image.Load(FromFile("good.bmp"))) << "the converter's lock";
        ExpectEmpty(image);
        for (const auto& fake : display.fakes) EXPECT_EQ(0, fake->references);
    }
    {
        // A format without a converter goes through GDI, and a fake surface has no device context.
        ShimmedDisplay display(m_device.DirectDraw(), testsupport::RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0), 16);
        display.ServeFakes();
        DirectDrawImage image;
        EXPECT_EQ(4, image.Load(FromFile("good.bmp")));
        ExpectEmpty(image);
    }
    {
        // A header claiming more pixels than its streams could give is refused before a
        // surface of that size is asked for.
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        const testsupport::ElgStream fill =
            testsupport::ElgStream(testsupport::ElgStream::kPixelCode).Fill(0x123456, 8225, true).End();
        DirectDrawImage image;
        EXPECT_EQ(2, image.Load(FromData(testsupport::ElgFile(24, 20000, 20000).Streams({fill}).Bytes())));
        EXPECT_EQ(0, display.shim.creates);
        ExpectEmpty(image);
        ASSERT_EQ(0, image.Load(FromData(testsupport::ElgFile(24, 8225, 1).Streams({fill}).Bytes())));
        EXPECT_EQ(0x123456, image.GetPixel(8224, 0));
    }
}

// The fault this guards: rebuilding a blank image made a new surface, which forgot the fill
// colour before it could be used, so a lost picture came back black.
TEST_F(DirectDrawImageOnFakes, ALostImageIsRebuiltWithItsFillAndItsKey) {
    ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
    display.acceptBlt = false;  // fills write the fake's pixels
    display.ServeFakes();
    ASSERT_TRUE(testsupport::WriteFile(Game("k.elg"), ElgOf(24, 4, 3)));
    struct Case {
        const char* name;
        bool fromFile;
        bool keyFromPixel;
        std::uint32_t pixel;  // at (1, 1) after the rebuild
    };
    const Case cases[] = {
        {"filled, keyed by colour", false, false, 0x4080C0},
        {"loaded, keyed from a pixel", true, true, Picture(4, 3)[1 * 4 + 1]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirectDrawImage image;
        if (c.fromFile) {
            ASSERT_EQ(0, image.Load(FromFile("k.elg")));
            ASSERT_EQ(0, image.SetColourKeyFromPixel(1, 1));
        } else {
            ASSERT_EQ(0, image.Create(4, 3, false, false, nullptr));
            ASSERT_EQ(0, image.FillColour(0x40, 0x80, 0xC0));
            ASSERT_EQ(0, image.SetColourKeyRgb(0x40, 0x80, 0xC0));
        }
        FakeDdSurface* first = display.LastFake();
        const std::size_t made = display.fakes.size();
        ASSERT_EQ(0, image.Restore(true)) << "not lost: nothing to do";
        EXPECT_EQ(made, display.fakes.size());

        first->lost = true;
        EXPECT_EQ(-1, image.GetPixel(1, 1)) << "a lost surface cannot be read";
        ASSERT_EQ(0, image.Restore(true));
        ASSERT_EQ(made + 1, display.fakes.size());
        FakeDdSurface* second = display.LastFake();
        EXPECT_EQ(0, first->references) << "the lost surface is released";
        EXPECT_EQ(c.pixel, second->Pixel32(1, 1));
        EXPECT_EQ(static_cast<std::int32_t>(c.pixel), image.GetPixel(1, 1));
        EXPECT_TRUE(second->keySet);
        EXPECT_EQ(c.pixel, second->key);
        EXPECT_EQ(static_cast<std::int32_t>(c.pixel), image.ColourKey());
        if (!c.fromFile) {
            EXPECT_EQ(0x4080C0, image.FillColourValue());
        }
    }
}

// The fault this guards: locks that did not wait failed while a blit of the surface was still
// running, so hit tests read no pixel and loads threw the picture away.
TEST_F(DirectDrawImageOnFakes, EveryLockWaitsForABlitInProgress) {
    ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
    display.acceptBlt = false;
    display.stillDrawing = true;
    display.ServeFakes();
    DirectDrawImage elg, bmp, blank;
    ASSERT_EQ(0, elg.Load(FromData(ElgOf(24, 6, 2)))) << "the direct ELG path";
    EXPECT_EQ(Picture(6, 2), PixelsOf(elg));
    ASSERT_EQ(0, bmp.Load(FromData(BmpOf(4, 2)))) << "the converter";
    EXPECT_EQ(Picture(4, 2), PixelsOf(bmp));
    EXPECT_EQ(0, bmp.SetColourKeyFromPixel(3, 1));
    ASSERT_EQ(0, blank.Create(5, 2, false, false, nullptr));
    EXPECT_EQ(0, blank.FillColour(1, 2, 3));
    EXPECT_EQ(0x010203, blank.GetPixel(4, 1));
    EXPECT_EQ(0, blank.ClearNonColourBits());
    Image picture;
    ASSERT_EQ(0, picture.Create(2, 2, 32, 0));
    picture.FillValue(0x00445566u, nullptr);
    EXPECT_EQ(0, blank.CopyFromImage(&picture, 1, 0, nullptr, nullptr));
    EXPECT_EQ(0x445566, blank.GetPixel(2, 1));
    for (const auto& fake : display.fakes) {
        EXPECT_GT(fake->lockCalls, 0);
        EXPECT_EQ(fake->lockCalls, fake->locks) << "no lock gave up";
    }
}

TEST_F(DirectDrawImageOnFakes, NonColourBitsAreClearedInSixteenAndThirtyTwoBitPixels) {
    struct Case {
        const char* name;
        DDPIXELFORMAT format;
        std::int32_t result;
        std::uint32_t after;  // of a pixel with every bit set
    };
    const Case cases[] = {
        {"xRGB", Xrgb32(), 0, 0x00FFFFFF},
        {"5-5-5", Rgb555(), 0, 0x7FFF},
        {"5-6-5 has none", Rgb565(), 0, 0xFFFF},
        {"24-bit has none", Rgb24(), 0, 0xFFFFFF},
        {"8-bit is left alone", Palette8(), 0, 0xFF},
        {"24-bit with a spare bit cannot be cleared", testsupport::RgbFormat(24, 0x7F0000, 0xFF00, 0xFF, 0), 3,
         0xFFFFFF},
    };
    ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
    display.ServeFakes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirectDrawImage image;
        ASSERT_EQ(0, image.Create(3, 2, false, false, &c.format));
        FakeDdSurface* fake = display.LastFake();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) fake->SetPixel32(x, y, 0xFFFFFFFFu);
        EXPECT_EQ(c.result, image.ClearNonColourBits());
        EXPECT_EQ(c.after, fake->Pixel32(2, 1));
        EXPECT_EQ(c.after, fake->Pixel32(0, 0));
        EXPECT_TRUE(fake->OnlyPixelsWritten());
    }
    DirectDrawImage empty;
    EXPECT_EQ(1, empty.ClearNonColourBits());
}

// The fault this guards: the direct ELG path trusted the header and the stream. A cut or damaged
// file now answers 2 (or, for a header of an impossible size, 3) and leaves the image empty, and
// no decode writes outside the surface's pixels or reads outside the data. The direct path
// (rows of four bytes a pixel) and the host's decoder (longer rows) are both tried.
TEST_F(DirectDrawImageOnFakes, CutAndDamagedElgDataNeverWritesOutsideTheSurface) {
    std::vector<Bytes> files;
    for (std::uint8_t depth : {8, 24, 32}) files.push_back(ElgOf(depth, 7, 5));
    files.push_back(testsupport::ElgFile(24, 7, 5)
                        .Origin(2, -1)
                        .ExtraBlocks({{1, {1, 2, 3}}})
                        .Streams({testsupport::ElgStream::Encode(testsupport::ElgStream::kPixelCode, Picture(7, 5), 7)})
                        .Bytes());
    for (int padding : {0, 4}) {
        ShimmedDisplay display(m_device.DirectDraw(), Xrgb32(), 32);
        display.ServeFakes(padding);
        const bool direct = padding == 0;
        std::uint32_t seed = 0x3A1;
        for (std::size_t f = 0; f < files.size(); ++f) {
            const Bytes& file = files[f];
            const bool colourFirst = f == 2;  // depth 32: the alpha stream follows the colours
            for (std::size_t n = 0; n < file.size(); ++n) {
                SCOPED_TRACE(testing::Message() << "file " << f << " cut to " << n << (direct ? ", direct" : ", host"));
                const testsupport::GuardedBytes data(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)));
                DirectDrawImage image;
                const std::int32_t code = image.Load(LoadSource{nullptr, data.Data(), data.Size(), 0});
                if (colourFirst && direct && code == 0) {
                    // Cut within the alpha stream, which the direct path does not read.
                    EXPECT_EQ(Picture(7, 5), PixelsOf(image));
                } else {
                    EXPECT_EQ(n == 0 ? 1 : 2, code);
                    ExpectEmpty(image);
                }
                image.Free();
                EXPECT_TRUE(display.DropReleased());
            }
            for (const Bytes& damaged : testsupport::MutatedCopies(file, seed++, 200)) {
                SCOPED_TRACE(testing::Message() << "file " << f << ", damaged to " << damaged.size() << " bytes");
                const testsupport::GuardedBytes data(damaged);
                DirectDrawImage image;
                const std::int32_t code = image.Load(LoadSource{nullptr, data.Data(), data.Size(), 0});
                EXPECT_TRUE(code == 0 || code == 1 || code == 2 || code == 3) << code;
                if (code != 0) ExpectEmpty(image);
                image.Free();
                EXPECT_TRUE(display.DropReleased());
            }
        }
        EXPECT_TRUE(display.fakes.empty()) << "every surface made was released";
    }
}

}  // namespace
