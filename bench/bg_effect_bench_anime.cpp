// Rows of the background layer benchmark: bg_panime moving the source offset and moving a copy
// through the canvas cache, and bg_anime decoding a new 800 x 600 frame at every step from
// pictures preloaded before the timing (the loader runs on the benchmark's thread).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/bg_effect_bench.h"
#include "effects/objects/bg_anime_effect.h"
#include "effects/objects/bg_panime_effect.h"
#include "framework/files/path_utilities.h"
#include "framework/files/preload_thread.h"
#include "framework/files/virtual_file_system.h"
#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/data/qad_animation.h"
#include "tests/support/animation_file_writer.h"
#include "tools/content/elg_writer.h"
#include "tests/support/win_test_env.h"

namespace {

// Loads each batch on the caller's thread, so that the frames are in before the timing starts.
class InlinePreload : public PreloadThread {
public:
    std::int32_t Start() override {
        Run();
        return kStarted;
    }
    bool KeepRunning() override { return true; }
};

// The animation's folder of four 800 x 600 pictures and the file system that reads it; made
// once, kept to the end of the program.
struct AnimeFolder {
    AnimeFolder() : savedBase(GetBaseDirectory()) {
        if (SetBaseDirectory(folder.Path().c_str()) != 0) return;
        if (!CreateDirectoryA(folder.File("ANIME").c_str(), nullptr)) return;
        if (host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions, ElgImageLoader::kTypeString, 1,
                                 nullptr, nullptr, nullptr) != 0)
            return;
        g_imageLoaderHost = &host;
        g_virtualFileSystem = &vfs;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bgbench::kWidth) * bgbench::kHeight);
        std::vector<testsupport::QadFrameSpec> frames;
        for (std::uint32_t k = 0; k < 4; ++k) {
            for (std::int32_t y = 0; y < bgbench::kHeight; ++y)
                for (std::int32_t x = 0; x < bgbench::kWidth; ++x)
                    pixels[static_cast<std::size_t>(y) * bgbench::kWidth + x] =
                        0xFF000000u | (static_cast<std::uint32_t>(x + 40 * k) & 0xFF) << 16 |
                        (static_cast<std::uint32_t>(y) & 0xFF) << 8 | (k * 60);
            const std::string name = std::string(1, static_cast<char>('A' + k)) + ".ELG";
            if (!testsupport::WriteFile(folder.File("ANIME\\" + name),
                                        testsupport::EncodeElgPicture(32, bgbench::kWidth, bgbench::kHeight, pixels)))
                return;
            frames.push_back({0, static_cast<std::int32_t>(bgbench::kFrameMs), 0, 0, k * 6});
        }
        const char names[] = "A.ELG\0B.ELG\0C.ELG\0D.ELG";
        const std::uint16_t header[6] = {bgbench::kWidth, bgbench::kHeight, 0, 1, 4, 4};
        const testsupport::AnimationFile file =
            testsupport::WriteQad(header, std::vector<char>(names, names + sizeof(names)), frames, {});
        ready = animation.LoadFromMemory(file.bytes.data(), static_cast<std::uint32_t>(file.bytes.size())) == 0;
    }

    ~AnimeFolder() {
        g_virtualFileSystem = nullptr;
        g_imageLoaderHost = nullptr;
        host.UnloadAll();
        SetBaseDirectory(savedBase.c_str());
    }

    std::string savedBase;
    testsupport::TempFolder folder;
    VirtualFileSystem vfs;
    ImageLoaderHost host;
    QadAnimation animation;
    bool ready = false;
};

AnimeFolder* Folder() {
    static AnimeFolder folder;
    return &folder;
}

// Back and forth over the background's extra width and height, without end.
const char kRoundTrip[] = "P224,168 P0,0";
// Past the picture's edges too, so that the cache is partly filled.
const char kPastTheEdges[] = "P-100,-80 P300,200";

std::vector<std::int32_t> PanimeWords(const char* script, std::int32_t cache) {
    return {bgbench::TextWord(script), 1000, cache, 0, 0, 1, 0};
}

const bgbench::RowAdder kRows({
    {"bg_panime offset", [] { return static_cast<EffectObject*>(new BgPanimeEffect); },
     [](bgbench::Scene&) { return PanimeWords(kRoundTrip, 0); }, nullptr},
    {"bg_panime cache", [] { return static_cast<EffectObject*>(new BgPanimeEffect); },
     [](bgbench::Scene&) { return PanimeWords(kPastTheEdges, 1); }, nullptr},
    {"bg_anime 800 x 600 frames",
     [] { return static_cast<EffectObject*>(new BgAnimeEffect(std::make_unique<InlinePreload>())); },
     [](bgbench::Scene&) {
         const auto word = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(&Folder()->animation));
         return std::vector<std::int32_t>{word, bgbench::TextWord("ANIME"), 0, 0, 1, 1};
     },
     [](bgbench::Scene&) { return Folder()->ready; }},
});

}  // namespace
