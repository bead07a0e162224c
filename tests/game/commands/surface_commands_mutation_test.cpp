// The surface commands (222-251) and the transition commands (252-259) fed fixed-seed blocks of
// hostile words: values at and past the edges of script memory, a page that faults, a freed
// block, live surfaces of several kinds mixed with stale ones, names and an unterminated text.
// Creation sizes come from edge values only, so that no run makes a picture of hundreds of
// megabytes. Each answer must be one the command lists, and nothing may be written outside
// script memory, which guard bytes around the region show.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "framework/plugins/transition_registry.h"
#include "game/commands/screen_command_services.h"
#include "game/script/command_table.h"
#include "game/script/script_fault.h"
#include "graphics/device/screen_device.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/game/commands/guarded_script_region.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/support/command_doubles.h"
#include "tests/support/stub_plugin_objects.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t WordOf(const void* address) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)); }

// A transition that accepts any parameter words and never ends by itself.
class QuietTransition final : public testsupport::StubTransition<QuietTransition> {
public:
    explicit QuietTransition(std::uint8_t kind) : m_kind(kind) {}
    std::uint8_t XM_METHOD Kind() override { return m_kind; }
    const char* XM_METHOD Name() override { return "quiet"; }
    std::int32_t XM_METHOD Setup(ScreenBuffer*, const std::int32_t*) override { return 0; }

private:
    std::uint8_t m_kind;
};
TransCallback* XM_CDECL CreateQuiet(std::int32_t kind) { return new QuietTransition(static_cast<std::uint8_t>(kind)); }

using Check = std::function<bool(std::int32_t)>;

class SurfaceCommandMutation : public ::testing::Test {
protected:
    void SetUp() override {
        AttachCommandScreenDevice(&m_device);
        ScreenServices().transitions = &m_transitions;
        ASSERT_EQ(0, m_transitions.RegisterBuiltin(CreateQuiet, "quiet0", 0, 0, nullptr, nullptr));
        ASSERT_EQ(0, m_transitions.RegisterBuiltin(CreateQuiet, "quiet2", 0, 2, nullptr, nullptr));
    }
    void TearDown() override {
        m_device.AttachGameImage(nullptr);
        m_device.DestroyAllObjects();
        AttachCommandScreenDevice(nullptr);
        ScreenServices().transitions = nullptr;
    }

    // Fresh live objects: an image, two GDI screens with canvases (partners), a memory screen.
    std::vector<std::uint32_t> MakeLive() {
        std::vector<std::uint32_t> words;
        Image* image = nullptr;
        if (m_device.CreateImage(&image, 8, 4, 32, 2) == 0) words.push_back(WordOf(static_cast<Surface*>(image)));
        GdiScreen* first = nullptr;
        GdiScreen* second = nullptr;
        if (m_device.CreateGdiScreen(&first, 8, 4, 32, 2) == 0 && m_device.CreateGdiScreen(&second, 8, 4, 32, 1) == 0) {
            first->SetAlternate(second);
            words.push_back(WordOf(static_cast<Surface*>(first)));
            words.push_back(WordOf(static_cast<Surface*>(second)));
        }
        MemoryScreen* memory = nullptr;
        if (m_device.CreateGdiScreenSimple(&memory, 8, 4, 32, 1) == 0) words.push_back(WordOf(static_cast<Surface*>(memory)));
        return words;
    }
    bool Live(std::int32_t word) { return word == 0 || m_device.FindSurface(static_cast<std::uint32_t>(word)); }
    Check In(std::set<std::int32_t> values) {
        return [values](std::int32_t r) { return values.count(r) != 0; };
    }

    ScreenDevice m_device;
    TransitionRegistry m_transitions;
};

TEST_F(SurfaceCommandMutation, HostileWordsGetListedAnswersAndStayInScriptMemory) {
    commandtest::GuardedRegion region;
    testsupport::NoAccessPage noAccess;
    noAccess.Revoke();
    std::uint32_t freedWord = 0;
    {
        std::vector<std::uint8_t> freed(64, 0);
        ScriptMemoryRegistration registration(freed.data(), freed.size(), true);
        freedWord = WordOf(freed.data());
    }
    std::uint8_t* const base = region.Bytes();
    const std::uint32_t blockWords = 12;
    const std::size_t kRegion = commandtest::GuardedRegion::kSize;
    std::vector<std::uint32_t> names;
    auto writeTexts = [&] {
        names.clear();
        std::uint8_t* texts = base + blockWords * 4;
        for (const char* name : {"quiet0", "quiet2", "cross", "none.bmp", ""}) {
            std::strcpy(reinterpret_cast<char*>(texts), name);
            names.push_back(WordOf(texts));
            texts += std::strlen(name) + 1;
        }
        std::memset(base + kRegion - 16, 'u', 16);
    };
    writeTexts();
    const std::uint32_t start = WordOf(base);
    const std::uint32_t end = start + static_cast<std::uint32_t>(kRegion);
    const std::vector<std::uint32_t> edges = {0u, 1u, 0xFFFFFFFFu, 65535u, 4096u, 0x7FFFFFFFu, 0x80000000u, 86u, 87u,
                                              start, end, end - 1, end - 4, end - 16, freedWord, noAccess.Word(),
                                              noAccess.Word(100), 2, 3, 32, 8};
    const std::vector<std::uint32_t> sizes = {0u, 1u, 0xFFFFFFFFu, 65535u, 4096u, 0x7FFFFFFFu};
    // The size words of the creations that take sizes.
    const std::map<int, std::vector<int>> sizeWords = {
        {222, {0, 1}}, {226, {0, 1}}, {230, {1, 2}}, {231, {0, 1}}, {238, {0, 1}}, {239, {0, 1}}};
    const std::map<int, std::vector<int>> liveWords = {
        {237, {0}}, {240, {0}}, {242, {0}}, {246, {0}}, {247, {0}}, {248, {0}}, {251, {0}}, {252, {1, 2}},
        {253, {0, 1}}, {254, {0}}, {255, {0}}, {256, {0}}, {257, {0}}, {258, {0}}, {259, {0}}};

    const Check any = [](std::int32_t) { return true; };
    const Check made = [this](std::int32_t r) { return Live(r); };
    std::map<int, Check> listed;
    for (int opcode = 222; opcode <= 239; ++opcode) listed[opcode] = made;
    listed[240] = In({0, 1});
    listed[241] = made;
    listed[242] = In({0, 1});
    listed[243] = In({0, 1, 2, 3});
    listed[244] = [](std::int32_t r) { return r >= 0; };
    listed[245] = listed[244];
    for (int opcode : {246, 247, 248, 249, 250, 252, 259}) listed[opcode] = any;
    listed[251] = In({-1, 0, 1});
    listed[253] = In({-1, 0, 1});
    listed[254] = made;
    listed[255] = In({0, 1});
    listed[256] = In({-2, -1, 0, 1, 2, 3, 4});
    listed[257] = In({0, 1});
    listed[258] = In({0, 1});

    std::mt19937 random(20261211);
    std::vector<std::uint32_t> live = MakeLive();
    std::vector<std::uint32_t> stale;
    for (int opcode = 222; opcode <= 259; ++opcode) {
        for (int round = 0; round < 30; ++round) {
            auto pick = [&]() -> std::uint32_t {
                switch (random() % 5) {
                    case 0: return names[random() % names.size()];
                    case 1: return live.empty() ? 0 : live[random() % live.size()];
                    case 2: return stale.empty() ? 0 : stale[random() % stale.size()];
                    default: return edges[random() % edges.size()];
                }
            };
            std::uint32_t* const block = reinterpret_cast<std::uint32_t*>(base);
            for (std::uint32_t i = 0; i < blockWords; ++i) block[i] = pick();
            const auto sized = sizeWords.find(opcode);
            if (sized != sizeWords.end())
                for (int i : sized->second) block[i] = sizes[random() % sizes.size()];
            // Every other round names live surfaces where the command takes them (and a routine
            // or transition name), so that the commands get past their first refusals.
            const auto shaped = liveWords.find(opcode);
            if (shaped != liveWords.end() && round % 2 == 1 && !live.empty()) {
                for (int i : shaped->second) block[i] = live[random() % live.size()];
                if (opcode == 252) block[0] = random() % 90;
                if (opcode == 256) block[1] = names[random() % 2];
            }
            const std::int32_t result = static_cast<std::int32_t>(kCommandTable[opcode].handler(block));
            TakeScriptFault();
            ASSERT_TRUE(listed[opcode](result)) << "opcode " << opcode << " answered " << result;
            ASSERT_TRUE(region.GuardsIntact()) << "opcode " << opcode << " round " << round;
            writeTexts();
            // Every few rounds all objects go (running transitions and partners with them) and
            // the words of the old ones turn stale.
            if (round % 10 == 9) {
                m_device.AttachGameImage(nullptr);
                m_device.DestroyAllObjects();
                stale = live;
                live = MakeLive();
            }
        }
    }
}

// A sample through modules: programs of random surface and transition calls whose words are
// the image's own texts and buffers, its last bytes, variables (where earlier calls left their
// surfaces) and edge values. Each run ends, or ends with the invalid-script result; nothing
// crashes, and the device is left with only live objects.
TEST_F(SurfaceCommandMutation, ProgramsOfHostileCallsEndOrFault) {
    std::mt19937 random(4711);
    int ended = 0;
    for (int program = 0; program < 30; ++program) {
        SCOPED_TRACE(program);
        commandtest::ProgramRun run;
        commandtest::CallProgram p;
        const std::vector<std::string> words = {
            "0", "1", "-1", "65535", "4096", "0x7FFFFFFF", "0x80000000", "8", "32", p.Text("quiet0"),
            p.Text("quiet2"), p.Text("none.bmp"), p.Buffer(16), "Lend", "Lend+3", "Lend+4", "var:0", "var:1",
            "@var:0", "@var:1", "@var:2", "@var:23"};
        const std::vector<std::string> sizes = {"0", "1", "-1", "65535", "4096", "0x7FFFFFFF"};
        const std::map<int, std::vector<int>> sizeWords = {
            {222, {0, 1}}, {226, {0, 1}}, {230, {1, 2}}, {231, {0, 1}}, {238, {0, 1}}, {239, {0, 1}}};
        p.Last("Lend: .word 0\n");
        p.Call(238, {"8", "4", "32", "1"}, "var:0");
        p.Call(239, {"8", "4", "32", "1"}, "var:1");
        for (int call = 0; call < 6; ++call) {
            const int opcode = 222 + static_cast<int>(random() % 38);
            std::vector<std::string> block;
            for (int i = 0; i < 8; ++i) block.push_back(words[random() % words.size()]);
            const auto sized = sizeWords.find(opcode);
            if (sized != sizeWords.end())
                for (int i : sized->second) block[i] = sizes[random() % sizes.size()];
            p.Call(opcode, block, "var:" + std::to_string(2 + random() % 3));
        }
        const int step = run.Run(p);
        EXPECT_TRUE(step == kStepEnded || step == kStepInvalidScript) << step;
        ended += step == kStepEnded;
        m_device.AttachGameImage(nullptr);
        m_device.DestroyAllObjects();
    }
    EXPECT_GT(ended, 5) << "some programs run through all their calls";
}

}  // namespace
