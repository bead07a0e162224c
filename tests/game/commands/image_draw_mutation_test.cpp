// The image drawing commands (317-401), the surface effects and the motion commands (54, 315,
// 316, 446-450) fed fixed-seed blocks of hostile words: values at and past the edges of script
// memory, a page that faults, live images, screens, drawables and sprites mixed with released
// ones, texts that are numbers, points or neither. Each answer must be one the command lists,
// nothing may be written outside script memory (the region's guard bytes), and motions and
// effects left running when their objects go must have been cancelled first (the scheduler runs
// on between the rounds).
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "effects/surface/surface_effect.h"
#include "game/commands/command_task_table.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/sprites/sprite.h"
#include "tests/game/commands/device_command_fixture.h"

#include <gtest/gtest.h>

namespace {

using testsupport::WordOf;
using Check = std::function<bool(std::int32_t)>;

class ImageDrawMutation : public devicetest::DeviceCommandTest {
protected:
    void SetUp() override {
        DeviceCommandTest::SetUp();
        m_factory.SetScheduler(&m_scheduler);
        SetCurrentSurfaceEffectFactory(&m_factory);
    }
    void TearDown() override {
        SetCurrentSurfaceEffectFactory(nullptr);
        DeviceCommandTest::TearDown();
    }

    // Fresh live objects: 32- and 8-bit images, a screen, a drawable and two sprites.
    std::vector<std::uint32_t> MakeLive() {
        std::vector<std::uint32_t> words;
        Image* image = nullptr;
        if (m_device.CreateImage(&image, 8, 4, 32, 0) == 0) words.push_back(WordOf(static_cast<Surface*>(image)));
        Image* indexed = nullptr;
        if (m_device.CreateImage(&indexed, 6, 3, 8, 0) == 0) words.push_back(WordOf(static_cast<Surface*>(indexed)));
        MemoryScreen* screen = nullptr;
        if (m_device.CreateGdiScreenSimple(&screen, 8, 4, 32, 1) == 0) words.push_back(WordOf(static_cast<Surface*>(screen)));
        ColourRectSprite* rect = nullptr;
        if (m_device.CreateColourRect(&rect, 4, 4, 0xFF00FF00, 1, 1) == 0) words.push_back(WordOf(rect));
        Sprite* sprite = nullptr;
        if (image && m_device.CreateSprite(&sprite, image, nullptr, 0, 0) == 0) words.push_back(WordOf(sprite));
        FillRectSprite* fill = nullptr;
        if (m_device.CreateFillRectSprite(&fill, 2, 2, 0xFF0000FF, 3, 3) == 0) words.push_back(WordOf(fill));
        return words;
    }
    static Check In(std::set<std::int32_t> values) {
        return [values](std::int32_t r) { return values.count(r) != 0; };
    }
    // A task word: 0, or a task the scheduler holds.
    Check TaskOrZero() {
        return [this](std::int32_t r) {
            return r == 0 || m_scheduler.Contains(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(r))));
        };
    }

    SurfaceEffectFactory m_factory{m_clock};
};

TEST_F(ImageDrawMutation, HostileWordsGetListedAnswersAndStayInScriptMemory) {
    testsupport::NoAccessPage noAccess;
    noAccess.Revoke();
    std::uint8_t* const base = m_region.Bytes();
    const std::uint32_t blockWords = 24;
    const std::size_t kRegion = commandtest::GuardedRegion::kSize;
    std::vector<std::uint32_t> texts;
    auto writeTexts = [&] {
        texts.clear();
        std::uint8_t* at = base + blockWords * 4;
        for (const char* text : {"(1,2,255)(5,6,128)", "2.5", "nan", "1e999", "(", "", "?:\\none.bmp", "0.5"}) {
            std::strcpy(reinterpret_cast<char*>(at), text);
            texts.push_back(WordOf(at));
            at += std::strlen(text) + 1;
        }
        // Small point arrays, and the region's last bytes unterminated.
        std::int32_t* const points = reinterpret_cast<std::int32_t*>(base + 256);
        const std::int32_t values[] = {1, 2, 255, 7, 3, 128, 0, 0, 0};
        std::memcpy(points, values, sizeof values);
        texts.push_back(WordOf(points));
        std::memset(base + kRegion - 16, 'u', 16);
    };
    writeTexts();
    const std::uint32_t start = WordOf(base);
    const std::uint32_t end = start + static_cast<std::uint32_t>(kRegion);
    const std::vector<std::uint32_t> edges = {0u, 1u, 2u, 3u, 0xFFFFFFFFu, 0xFFFFu, 0x10000u, 0x7FFFFFFFu, 0x80000000u,
                                              32u, 255u, 256u, start, end, end - 1, end - 12, noAccess.Word(),
                                              0x15555556u};

    const Check any = [](std::int32_t) { return true; };
    const Check codes = [](std::int32_t r) { return r >= -4 && r <= 10; };
    std::map<int, Check> listed;
    for (int opcode = 317; opcode <= 401; ++opcode) listed[opcode] = codes;
    for (int opcode : {319, 322, 323, 324, 327, 330, 331, 332, 351, 384, 385, 397, 398, 399}) listed[opcode] = In({0, 1});
    listed[328] = any;
    listed[329] = [](std::int32_t r) { return r >= -1 && r <= 255; };
    listed[386] = TaskOrZero();
    listed[387] = In({0, 1});
    listed[388] = In({0, 1});
    listed[389] = In({0, 1});
    listed[54] = TaskOrZero();
    for (int opcode : {315, 316, 446, 447, 448, 449, 450}) listed[opcode] = TaskOrZero();
    std::vector<int> opcodes = {54, 315, 316, 446, 447, 448, 449, 450};
    for (int opcode = 317; opcode <= 401; ++opcode) opcodes.push_back(opcode);

    std::mt19937 random(20261212);
    std::vector<std::uint32_t> live = MakeLive();
    std::vector<std::uint32_t> stale;
    std::vector<std::uint32_t> made;
    for (int opcode : opcodes) {
        for (int round = 0; round < 24; ++round) {
            auto pick = [&]() -> std::uint32_t {
                switch (random() % 6) {
                    case 0: return texts[random() % texts.size()];
                    case 1:
                    case 2: return live.empty() ? 0 : live[random() % live.size()];
                    case 3: return stale.empty() ? 0 : stale[random() % stale.size()];
                    case 4: return made.empty() ? 0 : made[random() % made.size()];
                    default: return edges[random() % edges.size()];
                }
            };
            std::uint32_t* const block = reinterpret_cast<std::uint32_t*>(base);
            for (std::uint32_t i = 0; i < blockWords; ++i) block[i] = pick();
            // Every other round the block is shaped so that the command gets past its first
            // refusals: live objects where it takes them, then points, times and kinds.
            if (round % 2 == 1 && !live.empty()) {
                auto liveWord = [&] { return live[random() % live.size()]; };
                const bool leading = opcode == 356 || opcode == 361 || opcode == 362 || opcode == 365 || opcode == 366;
                block[0] = liveWord();
                block[1] = liveWord();
                if (leading) block[2] = liveWord();
                if (opcode >= 400) {
                    block[2] = liveWord();
                    block[3] = liveWord();
                }
                if (opcode == 386) {
                    block[0] = random() % 24;
                    block[1] = random() % 200;
                    block[2] = liveWord();
                    block[3] = random() % 2 ? 0 : liveWord();
                }
                if (opcode == 54 || opcode < 317 || opcode >= 446) {
                    block[1] = opcode == 54 ? random() % 2 : 1 + random() % 50;
                    const bool array = opcode == 316 || opcode == 447 || opcode == 449;
                    if (array) {
                        block[2] = 1 + random() % 3;
                        block[3] = texts.back();
                    } else {
                        block[2] = opcode == 54 ? 100 : texts[0];
                    }
                    if (opcode == 54) block[3] = texts[random() % 2 ? 1 : 7];
                }
            }
            const std::int32_t result = static_cast<std::int32_t>(kCommandTable[opcode].handler(block));
            TakeScriptFault();
            ASSERT_TRUE(listed[opcode](result)) << "opcode " << opcode << " answered " << result;
            ASSERT_TRUE(m_region.GuardsIntact()) << "opcode " << opcode << " round " << round;
            if (result != 0 && (opcode == 386 || opcode < 317 || opcode >= 446)) made.push_back(static_cast<std::uint32_t>(result));
            writeTexts();
            m_clock.AdvanceMs(random() % 40);
            m_scheduler.RunDue(m_clock.Milliseconds());
            // Every few rounds all objects go, with the motions and effects on them.
            if (round % 8 == 7) {
                m_device.DestroyAllObjects();
                m_clock.AdvanceMs(5);
                m_scheduler.RunDue(m_clock.Milliseconds());
                EXPECT_EQ(0, CommandTasks().LiveCount()) << "opcode " << opcode;
                stale = live;
                live = MakeLive();
            }
        }
    }
    EXPECT_GT(made.size(), 10u) << "the blocks reach the commands' starts";
}

}  // namespace
