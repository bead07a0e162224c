// Save services for tests: a history and a TGS frame state that save recognisable bytes and can
// refuse to read, a counted release of the message buffers, SYS_ images the test holds, and a
// thumbnail renderer that can fail.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/save/save_services.h"

namespace gametest {

// A 32-bit picture owned by the test; pixel (x, y) is 0xFF000000 | y << 16 | x << 8 | seed.
struct TestPicture {
    std::vector<std::uint32_t> pixels;
    SavePicture picture;

    TestPicture(std::int32_t width, std::int32_t height, std::uint8_t seed = 0x5A, std::int32_t bitsPerPixel = 32)
        : pixels(static_cast<std::size_t>(width) * height) {
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::int32_t x = 0; x < width; ++x) {
                pixels[y * width + x] = Pixel(x, y, seed);
            }
        }
        picture.bits = reinterpret_cast<std::uint8_t*>(pixels.data());
        picture.width = width;
        picture.height = height;
        picture.pitch = width * 4;
        picture.bitsPerPixel = bitsPerPixel;
    }
    // Rows seen from the last in memory to the first, as a bottom-up DIB keeps them.
    void SeeBottomUp() {
        picture.bits = reinterpret_cast<std::uint8_t*>(pixels.data() + (picture.height - 1) * picture.width);
        picture.pitch = -picture.width * 4;
    }
    static std::uint32_t Pixel(std::int32_t x, std::int32_t y, std::uint8_t seed) {
        return 0xFF000000u | (static_cast<std::uint32_t>(y & 0xFF) << 16) | (static_cast<std::uint32_t>(x & 0xFF) << 8) |
               seed;
    }
};

// The history saves as "H", a length byte and the text; the TGS state as "TGS" and a byte.
class TestSaveServices : public SaveServices {
public:
    std::string history = "first page";
    bool hasFrame = false;
    std::uint8_t tgsState = 7;
    bool refuseHistorySave = false;
    bool refuseHistoryRead = false;
    bool refuseTgsRead = false;
    int releasedBuffers = 0;
    std::vector<bool> keepHistoryFlags;
    std::string messageText;
    bool hasMessageText = false;
    std::map<std::string, SavePicture> sysImages;
    std::vector<std::string> sysImagesAsked;
    int renderResult = 0;
    std::vector<bool> renderFinalFlags;
    // With a frame: what the frame offers as screen, frame-image name and title.
    SavePicture frameScreen;
    std::string frameImage;
    std::string frameTitle;

    bool SaveHistory(std::vector<std::uint8_t>& out) override {
        if (refuseHistorySave) {
            return false;
        }
        out.push_back('H');
        out.push_back(static_cast<std::uint8_t>(history.size()));
        out.insert(out.end(), history.begin(), history.end());
        return true;
    }
    bool ReadHistory(const std::uint8_t*& cursor, const std::uint8_t* end, bool keepHistory) override {
        keepHistoryFlags.push_back(keepHistory);
        if (refuseHistoryRead || end - cursor < 2 || cursor[0] != 'H' || end - cursor - 2 < cursor[1]) {
            return false;
        }
        m_pendingHistory.assign(reinterpret_cast<const char*>(cursor + 2), cursor[1]);
        m_hasPendingHistory = true;
        cursor += 2 + cursor[1];
        return true;
    }
    bool HasTgsFrame() override { return hasFrame; }
    bool SaveTgsState(std::vector<std::uint8_t>& out) override {
        out.insert(out.end(), {'T', 'G', 'S', tgsState});
        return true;
    }
    bool ReadTgsState(const std::uint8_t*& cursor, const std::uint8_t* end) override {
        if (refuseTgsRead || end - cursor < 4 || cursor[0] != 'T' || cursor[1] != 'G' || cursor[2] != 'S') {
            return false;
        }
        m_pendingTgs = cursor[3];
        m_hasPendingTgs = true;
        cursor += 4;
        return true;
    }
    void CommitPending() override {
        if (m_hasPendingHistory) {
            history = m_pendingHistory;
        }
        if (m_hasPendingTgs) {
            tgsState = m_pendingTgs;
        }
        DiscardPending();
    }
    void DiscardPending() override {
        m_hasPendingHistory = false;
        m_hasPendingTgs = false;
    }
    void ReleaseMessageBuffers() override { ++releasedBuffers; }
    bool TgsSaveSource(SavePicture& screen, std::string& image, std::string& title) override {
        if (!hasFrame) {
            return false;
        }
        screen = frameScreen;
        image = frameImage;
        title = frameTitle;
        return true;
    }
    bool MessageTextForSave(std::string& text) override {
        text = messageText;
        return hasMessageText;
    }
    bool LoadSysImage(const std::string& name, SavePicture& picture) override {
        sysImagesAsked.push_back(name);
        const auto found = sysImages.find(name);
        if (found == sysImages.end()) {
            return false;
        }
        picture = found->second;
        return true;
    }
    int RenderThumbnail(const SavePicture& screen, bool finalFlag, SaveThumbnailPixels& thumbnail) override {
        renderFinalFlags.push_back(finalFlag);
        if (renderResult != 0) {
            return renderResult;
        }
        return SampleThumbnail(screen, thumbnail) ? 0 : 3;
    }

private:
    std::string m_pendingHistory;
    bool m_hasPendingHistory = false;
    std::uint8_t m_pendingTgs = 0;
    bool m_hasPendingTgs = false;
};

}  // namespace gametest
