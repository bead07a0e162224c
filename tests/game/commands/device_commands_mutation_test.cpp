// The font, device-setting, image-host, task and effect commands (166-221) fed fixed-seed blocks
// of hostile words, one run per family: edge numbers and sizes, words at and past the edges of
// script memory, a page that faults, live and released objects of every family (fonts,
// surfaces, sprites, drawables, tasks, effects) and texts that run to their region's end
// unterminated. A command answers one of its listed values or the script fault; it never
// crashes and never writes outside script memory (guard bytes around the region show it).
// Plug-in names are only ever names inside a temporary folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "effects/objects/subtractive_random.h"
#include "effects/register_effects.h"
#include "effects/objects/effect_base.h"
#include "framework/interfaces/deleting_destructor.h"
#include "graphics/device/state_blocks.h"
#include "graphics/sprites/sprite.h"
#include "graphics/interfaces/screen_buffer.h"
#include "tests/game/commands/device_command_fixture.h"
#include "tests/support/win_test_env.h"

namespace devicetest {
namespace {

class IdleTask final : public WithDeletingDestructor<IdleTask, ScheduledTask> {
public:
    std::int32_t XM_METHOD Kind() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 0; }
    void XM_METHOD Finish() override {}
};

using Listed = std::function<bool(std::int32_t result)>;

Listed OneOf(std::vector<std::int32_t> values) {
    return [values](std::int32_t r) {
        for (const std::int32_t v : values)
            if (v == r) return true;
        return false;
    };
}
Listed AtLeast(std::int32_t least) {
    return [least](std::int32_t r) { return r >= least; };
}
Listed Any() {
    return [](std::int32_t) { return true; };
}

class DeviceCommandMutation : public DeviceCommandTest {
protected:
    void SetUp() override {
        DeviceCommandTest::SetUp();
        m_random.Seed(20261211);
        SetEffectRandom(&m_random);
        ASSERT_EQ(0, RegisterNamedEffects(m_effects));
        m_forged.Revoke();
        const std::uint32_t start = WordOf(m_region.Bytes());
        const std::uint32_t end = start + commandtest::GuardedRegion::kSize;
        m_edges = {0u, 1u, 2u, 3u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u, 0x7FFFFFFFu, 65535u, 4096u,
                   start + 256, start + 300, end - 1, end - 4, end, m_forged.Word(), m_forged.Word(100)};
        m_texts = {Text("quake"), Text("fake"), Text(kGothic), Text("%d %s"), Text("%s%s%s%s"), Text(""),
                   Text("W\x88\x9F")};
        // The region's last bytes: a text that never ends inside it.
        std::memset(m_region.Bytes() + commandtest::GuardedRegion::kSize - 16, 'u', 16);
        m_texts.push_back(end - 16);
        m_folder = std::make_unique<testsupport::TempFolder>();
        m_names = {Text(m_folder->File("NONE.GLL")), Text(m_folder->Path())};
    }
    void TearDown() override {
        DeviceCommandTest::TearDown();
        SetEffectRandom(nullptr);
    }

    // A fresh set of live objects, and one of each released again.
    void MakeObjects() {
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::uint32_t> words = {NewFont(false), NewFont(true), WordOf(NewImage(8, 8))};
            MemoryScreen* const screen = NewScreen(16, 12);
            MemoryScreen* const linked = NewScreen(16, 12);
            if (screen && linked) static_cast<ScreenBuffer*>(screen)->SetAlternate(linked);
            words.push_back(WordOf(static_cast<Surface*>(screen)));
            words.push_back(WordOf(static_cast<Surface*>(linked)));
            Sprite* sprite = nullptr;
            if (m_device.CreateSprite(&sprite, nullptr, nullptr, 0, 0) == 0) words.push_back(WordOf(sprite));
            RenderStateBlock* block = nullptr;
            if (m_device.CreateRenderStateBlock(&block) == 0) words.push_back(WordOf(block));
            auto* task = new IdleTask;
            if (m_scheduler.Add(task, 0, 0, 0) == 0) words.push_back(WordOf(task));
            const std::int32_t quake =
                Call(218, {words[3], m_texts[0], 0, 3, 3, 0, 0, 0, 1, 1, 0});
            if (quake != 0) words.push_back(static_cast<std::uint32_t>(quake));
            if (pass == 0) {
                Font* font = m_device.FindFont(words[1]);
                m_device.ReleaseFont(&font);
                m_device.ReleaseImage(m_device.FindSurface(words[2]));
                m_device.ReleaseImage(screen);
                m_scheduler.Cancel(task);
            }
            m_objects.insert(m_objects.end(), words.begin(), words.end());
        }
        m_scheduler.RunDue(m_clock.Milliseconds());
    }

    std::uint32_t Pick(std::mt19937& random) {
        switch (random() % 6) {
        case 0: return m_texts[random() % m_texts.size()];
        case 1: return static_cast<std::uint32_t>(random() % 16) - 2;
        case 2: return m_objects[random() % m_objects.size()];
        case 3: return 0x10u + static_cast<std::uint32_t>(random() % 0xFFF0u);
        default: return m_edges[random() % m_edges.size()];
        }
    }

    // Runs every listed opcode `rounds` times (or its own count) on hostile blocks.
    void Run(const std::map<int, Listed>& listed, int rounds, const std::map<int, int>& ownRounds = {}) {
        std::mt19937 random(20261211);
        MakeObjects();
        for (const auto& [opcode, isListed] : listed) {
            const auto own = ownRounds.find(opcode);
            const int count = own == ownRounds.end() ? rounds : own->second;
            for (int round = 0; round < count; ++round) {
                if (round % 10 == 9) MakeObjects();
                std::vector<std::uint32_t> words(16);
                for (std::uint32_t& word : words) word = Pick(random);
                // Plug-in names only from the temporary folder.
                if (opcode == 205 || opcode == 206) words[0] = random() % 2 ? m_names[random() % 2] : m_edges[random() % 4];
                // Font heights stay in the tens: a glyph of a height in the millions takes GDI
                // minutes to render under the emulation.
                if (opcode == 167 || opcode == 168 || opcode == 172) words[1] = static_cast<std::uint32_t>(random() % 80) - 40;
                const std::int32_t result = Call(opcode, words);
                const bool faulted = TakeScriptFault();
                ASSERT_TRUE(faulted || isListed(result)) << "opcode " << opcode << " answered " << result;
                ASSERT_TRUE(m_region.GuardsIntact()) << "opcode " << opcode << " round " << round;
                m_clock.AdvanceMs(7);
                m_scheduler.RunDue(m_clock.Milliseconds());
            }
        }
    }

    SubtractiveRandom m_random;
    testsupport::NoAccessPage m_forged;
    std::unique_ptr<testsupport::TempFolder> m_folder;
    std::vector<std::uint32_t> m_edges;
    std::vector<std::uint32_t> m_texts;
    std::vector<std::uint32_t> m_names;
    std::vector<std::uint32_t> m_objects;
};

TEST_F(DeviceCommandMutation, FontFamilyAnswersListedValuesAndKeepsEveryGuard) {
    const Listed setter = OneOf({-1, 0, 1, 2, 3});
    const Listed stored = OneOf({0, 1});
    const Listed handle = [this](std::int32_t r) { return r == 0 || m_device.FindFont(r) != nullptr; };
    const Listed drawn = AtLeast(-1);
    const std::map<int, Listed> listed = {
        {166, OneOf({0})},  {167, handle},  {168, handle},  {169, OneOf({0, 1, 2, 3})}, {170, stored},
        {171, setter},      {172, setter},  {173, setter},  {174, setter},             {175, stored},
        {176, stored},      {177, stored},  {178, stored},  {179, stored},             {180, stored},
        {181, OneOf({-2, -1, 0, 1})},       {182, OneOf({-2, -1, 0, 1})},              {183, stored},
        {184, OneOf({-2, -1, 0, 1, 2, 3})}, {185, OneOf({-2, -1, 0})},                 {186, stored},
        {187, AtLeast(-1)}, {188, AtLeast(-1)}, {189, drawn}, {190, drawn}, {191, drawn}, {192, drawn},
        {193, AtLeast(0)},  {194, stored},
        {195, [this](std::int32_t r) {
             if (r == 0) return true;
             for (std::int32_t i = 0; i < m_fonts.Count(); ++i)
                 if (WordOf(m_fonts.At(i).lfFaceName) == static_cast<std::uint32_t>(r)) return true;
             return false;
         }},
    };
    Run(listed, 30, {{193, 2}});
}

TEST_F(DeviceCommandMutation, DeviceAndImageHostFamilyAnswersListedValuesAndKeepsEveryGuard) {
    const std::map<int, Listed> listed = {
        {196, OneOf({0})}, {197, [](std::int32_t r) { return r >= 0 && r <= 255; }}, {198, OneOf({0})},
        {199, OneOf({0})}, {200, OneOf({0})}, {201, Any()}, {202, OneOf({0})}, {203, OneOf({0})},
        {204, OneOf({0, 1, 2})}, {205, OneOf({1, 2, 3, 4, 5})}, {206, AtLeast(-1)}, {207, OneOf({0})},
        {208, OneOf({-2})}, {209, OneOf({0, 1})}, {210, OneOf({0, 1})},
    };
    m_device.letterboxInUse = 1;
    m_device.letterboxDest = RECT{1, 2, 3, 4};
    Run(listed, 30, {{200, 4}});
}

TEST_F(DeviceCommandMutation, TaskAndEffectFamilyAnswersListedValuesAndKeepsEveryGuard) {
    const Listed flag = OneOf({0, 1});
    const Listed effect = [](std::int32_t r) { return r == 0 || CommandTasks().FindEffect(r) != nullptr; };
    const std::map<int, Listed> listed = {
        {211, flag}, {212, flag}, {213, OneOf({0})}, {214, flag}, {215, OneOf({0})}, {216, flag},
        {217, OneOf({0})}, {218, effect}, {219, Any()}, {220, Any()}, {221, OneOf({-1})},
    };
    Run(listed, 40);
}

}  // namespace
}  // namespace devicetest
