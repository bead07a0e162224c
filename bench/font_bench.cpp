// Font benchmark: AntialiasFont at levels 0, 1 and 2, sizes 16 and 32, on a 2,000-character
// passage of kanji, kana and ASCII drawn line by line into an 800 x 600 32-bit picture. Every figure is
// characters per second and its ratio to raw GetGlyphOutlineA queries (size query and bitmap)
// for the same characters in the same run; GdiFont::DrawString alongside.
// Usage: font_bench [runs]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/gdi_font.h"
#include "graphics/text/text_syntax.h"

namespace {

const char kFace[] = "ＭＳ ゴシック";

// 2,000 characters in lines of perLine characters (640 pixels at the benchmark's size).
std::vector<std::string> Passage(int perLine, std::vector<std::uint32_t>* codes) {
    const char* pieces[] = {"漢", "字", "仮", "名", "あ", "い", "う", "カ", "ナ", "表",
                            "A",  "b",  "c",  "1",  "。", "空", "羽", "x",  "y",  "z"};
    std::vector<std::string> lines(1);
    for (int i = 0; i < 2000; ++i) {
        if (i > 0 && i % perLine == 0) {
            lines.emplace_back();
        }
        lines.back() += pieces[(i * 7 + i / 20) % 20];
    }
    codes->clear();
    for (const std::string& line : lines) {
        const char* cursor = line.c_str();
        for (TextToken t; (t = NextTextToken(&cursor)).kind != TextTokenKind::End;) {
            codes->push_back(t.code);
        }
    }
    return lines;
}

// Draws every line, the lines wrapping round the picture's height so all of them are drawn
// whole.
template <typename Draw>
void DrawPassage(const std::vector<std::string>& lines, std::int32_t size, Draw draw) {
    const std::int32_t rows = 600 / size - 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        draw(8, 4 + static_cast<std::int32_t>(i % rows) * size, lines[i].c_str());
    }
}

void Report(const char* what, double chars, double seconds, double reference) {
    const double rate = chars / seconds;
    std::printf("  %-34s %10.0f chars/s  %6.2f x raw queries\n", what, rate, rate / reference);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    InitBlendTables();
    std::vector<std::uint32_t> codes;
    PixelBuffer image;
    if (image.Create(800, 600, 32, false) != 0) {
        std::printf("no picture\n");
        return 1;
    }
    for (std::int32_t size : {16, 32}) {
        const std::vector<std::string> lines = Passage(640 / size, &codes);
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\n";
        }
        const double chars = static_cast<double>(codes.size());
        for (std::uint8_t level : {0, 1, 2}) {
            AntialiasFont font;
            if (font.SetFont(size, false, 0, kFace) != 0) {
                std::printf("no font\n");
                return 1;
            }
            font.SetLevel(level);
            std::printf("size %d level %d\n", size, level);
            static const UINT kFormats[3] = {GGO_BITMAP, GGO_GRAY4_BITMAP, GGO_GRAY8_BITMAP};
            std::vector<std::uint8_t> buffer(64 * 1024);
            MAT2 identity{};
            identity.eM11.value = identity.eM22.value = 1;
            const double raw = chars / bench::Best(runs, [&] {
                for (std::uint32_t code : codes) {
                    GLYPHMETRICS gm;
                    const DWORD need = GetGlyphOutlineA(font.dc, code, kFormats[level], &gm, 0,
                                                        nullptr, &identity);
                    if (need != GDI_ERROR && need <= buffer.size()) {
                        GetGlyphOutlineA(font.dc, code, kFormats[level], &gm, need,
                                         buffer.data(), &identity);
                    }
                }
            });
            Report("raw GetGlyphOutlineA", chars, chars / raw, raw);
            font.SetGlyphCacheCapacity(0);
            Report("glyph making (no cache)", chars, bench::Best(runs, [&] {
                       for (std::uint32_t code : codes) {
                           ReleaseGlyph(font.GetGlyph(code, size, 0, 0, 0, false));
                       }
                   }),
                   raw);
            font.SetGlyphCacheCapacity(512);
            std::int32_t extent[2];
            Report("TextExtent (warm cache)", chars, bench::Best(runs, [&] {
                       font.TextExtent(text.c_str(), extent, nullptr, nullptr, true, nullptr);
                   }),
                   raw);
            for (std::uint8_t effect : {0, 2}) {
                font.effect = effect;
                for (KernelForm form : {KernelForm::Plain, KernelForm::Mmx}) {
                    ForceKernelForm(form);
                    const char* formName = form == KernelForm::Mmx ? "mmx" : "plain";
                    char label[64];
                    std::snprintf(label, sizeof(label), "BlendString effect %d %s", effect,
                                  formName);
                    Report(label, chars, bench::Best(runs, [&] {
                               DrawPassage(lines, size, [&](int x, int y, const char* t) {
                                   font.BlendString(&image, x, y, t, nullptr, nullptr);
                               });
                           }),
                           raw);
                    std::snprintf(label, sizeof(label), "DrawText effect %d %s", effect, formName);
                    Report(label, chars, bench::Best(runs, [&] {
                               DrawPassage(lines, size, [&](int x, int y, const char* t) {
                                   font.DrawText(&image, x, y, t, nullptr, nullptr);
                               });
                           }),
                           raw);
                }
            }
            ForceKernelForm(KernelForm::Detected);
            GdiFont gdi;
            gdi.SetFont(size, false, 0, kFace);
            gdi.SetLevel(level);
            Report("GdiFont::DrawString", chars, bench::Best(runs, [&] {
                       DrawPassage(lines, size, [&](int x, int y, const char* t) {
                           gdi.DrawString(&image, x, y, t, nullptr, nullptr);
                       });
                   }),
                   raw);
        }
    }
    return 0;
}
