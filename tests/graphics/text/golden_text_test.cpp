// A few drawings with the real IPA Gothic kept as golden coverage planes: they show when the
// glyph pipeline as a whole (levels, outline, placement) changes. The rasteriser is the
// platform's, so a plane only counts for the font file it was made with (the checksum of the
// font's 'head' table), and values may differ a little. Set SORAHANE_WRITE_GOLDEN=1 to print
// fresh planes instead of comparing.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/image/pixel_buffer.h"
#include "graphics/text/antialias_font.h"
#include "tests/graphics/text/golden_text_planes.h"
#include "tests/support/dib_writer.h"

namespace {

constexpr std::int32_t kWidth = 72;
constexpr std::int32_t kHeight = 28;

std::uint32_t HeadChecksum(HDC dc) {
    std::uint8_t bytes[4] = {};
    // checkSumAdjustment, big-endian at offset 8 of 'head'.
    if (GetFontData(dc, 0x64616568, 8, bytes, 4) != 4) {
        return 0;
    }
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (bytes[1] << 16) | (bytes[2] << 8) |
           bytes[3];
}

std::vector<std::uint8_t> Draw(std::uint8_t level, std::uint8_t effect, std::uint32_t* checksum) {
    AntialiasFont font;
    EXPECT_EQ(font.SetFont(20, false, 0, "ＭＳ ゴシック"), 0);
    font.SetLevel(level);
    font.effect = effect;
    *checksum = HeadChecksum(font.dc);
    PixelBuffer image;
    EXPECT_EQ(image.Create(kWidth, kHeight, 32, false), 0);
    image.FillValue(0, nullptr, nullptr);
    font.DrawString(&image, 3, 3, "Aあ亜", nullptr, nullptr);
    std::vector<std::uint8_t> plane;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            plane.push_back(static_cast<std::uint8_t>(image.GetPixel(x, y) >> 24));
        }
    }
    return plane;
}

std::string SaveGrey(const std::vector<std::uint8_t>& plane, const std::string& name) {
    testsupport::DibLayout layout;
    layout.width = kWidth;
    for (int i = 0; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
    for (int y = 0; y < kHeight; ++y) {
        layout.rows.emplace_back(plane.begin() + y * kWidth, plane.begin() + (y + 1) * kWidth);
    }
    const testsupport::Dib dib(layout);
    const BITMAPINFOHEADER& header = dib.Info()->bmiHeader;
    const DWORD infoSize = header.biSize + 256 * 4;
    const DWORD bitsSize = dib.Pitch() * kHeight;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + infoSize;
    file.bfSize = file.bfOffBits + bitsSize;
    const std::string path = name + ".bmp";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof(file), 1, f);
        std::fwrite(dib.Info(), infoSize, 1, f);
        std::fwrite(dib.Bits(), bitsSize, 1, f);
        std::fclose(f);
    }
    return path;
}

TEST(GoldenText, RealFontDrawings) {
    for (const GoldenPlane& golden : kGoldenPlanes) {
        std::uint32_t checksum = 0;
        const std::vector<std::uint8_t> actual = Draw(golden.level, golden.effect, &checksum);
        if (std::getenv("SORAHANE_WRITE_GOLDEN") != nullptr) {
            std::printf("{%d, %d, 0x%08X, \"", golden.level, golden.effect, checksum);
            for (std::uint8_t v : actual) std::printf("%02x", v);
            std::printf("\"},\n");
            continue;
        }
        if (checksum != golden.headChecksum) {
            GTEST_SKIP() << "the font files differ from those the planes were made with";
        }
        ASSERT_EQ(std::strlen(golden.hex), actual.size() * 2);
        std::vector<std::uint8_t> difference(actual.size());
        int off = 0;
        for (std::size_t i = 0; i < actual.size(); ++i) {
            const int expected = std::stoi(std::string(golden.hex + 2 * i, 2), nullptr, 16);
            const int d = std::abs(expected - actual[i]);
            difference[i] = static_cast<std::uint8_t>(std::min(255, d * 8));
            off += d > 8;
        }
        // A rasteriser update may move a few edge pixels; more is a fault of ours.
        if (off > static_cast<int>(actual.size()) / 100) {
            const std::string name = "golden_text_" + std::to_string(golden.level) + "_" +
                                     std::to_string(golden.effect);
            ADD_FAILURE() << off << " pixels differ at level " << int(golden.level) << " effect "
                          << int(golden.effect) << "; actual " << SaveGrey(actual, name + "_actual")
                          << ", difference " << SaveGrey(difference, name + "_difference");
        }
    }
}

}  // namespace
