#include "game/save/save_services.h"

#include <new>

namespace L = SaveFileLayout;

bool SampleThumbnail(const SavePicture& picture, SaveThumbnailPixels& thumbnail) {
    if (!picture.bits || picture.width <= 0 || picture.height <= 0 || picture.bitsPerPixel != 32) {
        return false;
    }
    thumbnail.resize(L::kThumbnailWidth * L::kThumbnailHeight);
    for (std::int32_t y = 0; y < L::kThumbnailHeight; ++y) {
        const std::uint32_t* row =
            picture.Row(static_cast<std::int32_t>(static_cast<std::int64_t>(y) * picture.height / L::kThumbnailHeight));
        for (std::int32_t x = 0; x < L::kThumbnailWidth; ++x) {
            thumbnail[y * L::kThumbnailWidth + x] =
                row[(static_cast<std::int64_t>(x) * picture.width) / L::kThumbnailWidth];
        }
    }
    return true;
}

int ProgramSaveServices::RenderThumbnail(const SavePicture& screen, bool, SaveThumbnailPixels& thumbnail) {
    try {
        return SampleThumbnail(screen, thumbnail) ? 0 : 3;
    } catch (const std::bad_alloc&) {
        return 2;
    }
}
