#include "framework/plugins/transition_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/framework/plugin_test_files.h"
#include "tests/support/stub_plugin_objects.h"
#include "tests/support/table_slots.h"
#include "tests/support/win_test_env.h"

namespace {

const char kPlugin[] = "test_transition.TCP";

std::vector<std::string> g_events;

// A host-side callback: its create argument is its initial count of extra holders, and Setup
// accepts a first word of 0 and refuses with any other value.
class BuiltinTransition final : public testsupport::StubTransition<BuiltinTransition> {
public:
    explicit BuiltinTransition(std::int32_t holders) { m_holders = holders; }
    ~BuiltinTransition() { g_events.push_back("deleted"); }

    std::uint8_t XM_METHOD Kind() override { return 0; }
    const char* XM_METHOD Name() override { return "builtin"; }
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override {
        m_target = target;
        m_second = params[1];
        return params[0];
    }

    ScreenBuffer* m_target = nullptr;
    std::int32_t m_second = 0;
};

TransCallback* XM_CDECL CreateBuiltin(std::int32_t holders) {
    return new BuiltinTransition(holders);
}
TransCallback* XM_CDECL CreateNothing(std::int32_t) {
    g_events.push_back("create");
    return nullptr;
}
void XM_CDECL InitCross() { g_events.push_back("init cross"); }
void XM_CDECL ExitCross() { g_events.push_back("exit cross"); }
void XM_CDECL ExitRule() { g_events.push_back("exit rule"); }

ScreenBuffer* FakeTarget() { return reinterpret_cast<ScreenBuffer*>(0x1000); }

class TransitionRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { g_events.clear(); }
    void TearDown() override {
        m_registry.reset();
        EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
    }

    std::unique_ptr<TransitionRegistry> m_registry = std::make_unique<TransitionRegistry>();
};

TEST_F(TransitionRegistryTest, InitRunsOnceAtTheFirstLookupEvenWhenCreationFails) {
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateNothing, "cross", 0, 0, InitCross, ExitCross));
    EXPECT_TRUE(g_events.empty());
    EXPECT_EQ(nullptr, m_registry->CreateByName("cross"));
    std::int32_t argument = -1;
    EXPECT_EQ(&CreateNothing, m_registry->FindByName("cross", &argument));
    EXPECT_EQ(0, argument);
    EXPECT_EQ(nullptr, m_registry->FindByName("Cross", &argument));
    EXPECT_EQ((std::vector<std::string>{"init cross", "create"}), g_events);
}

TEST_F(TransitionRegistryTest, ExitFunctionsRunWhenEntriesAreRemoved) {
    EXPECT_EQ(1, m_registry->RegisterBuiltin(nullptr, "x", 0, 0, nullptr, ExitRule));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "cross", 0, 0, nullptr, ExitCross));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "rule", 1, 0, nullptr, ExitRule));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "tone", 2, 0, nullptr, nullptr));
    m_registry->UnloadByType(1);
    EXPECT_EQ((std::vector<std::string>{"exit rule"}), g_events);
    ASSERT_EQ(2u, m_registry->Entries().size());
    m_registry->UnloadAll();
    EXPECT_EQ((std::vector<std::string>{"exit rule", "exit cross"}), g_events);
    EXPECT_TRUE(m_registry->Entries().empty());
}

TEST_F(TransitionRegistryTest, SetupFormsPassTargetAndWordsAndReleaseRefusals) {
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "cross", 0, 0, nullptr, nullptr));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "kept", 0, 1, nullptr, nullptr));

    TransCallback* callback = m_registry->CreateByNameAndSetup(FakeTarget(), "cross", 0, 500);
    ASSERT_NE(nullptr, callback);
    EXPECT_EQ(FakeTarget(), static_cast<BuiltinTransition*>(callback)->m_target);
    EXPECT_EQ(500, static_cast<BuiltinTransition*>(callback)->m_second);

    const std::int32_t refused[2] = {2, 0};
    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetupV(FakeTarget(), "cross", refused));
    EXPECT_EQ((std::vector<std::string>{"deleted"}), g_events);
    // Another holder keeps the refused callback: it is only counted down.
    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetupV(FakeTarget(), "kept", refused));
    EXPECT_EQ(1u, g_events.size());
    ReleaseObject(callback);
}

TEST_F(TransitionRegistryTest, PluginCallbacksLoadAndOutliveTheRegistry) {
    EXPECT_EQ(3, m_registry->LoadPlugin(
                     plugintest::BinaryFile("test_transition_no_create.TCP").c_str()));
    EXPECT_FALSE(plugintest::IsModuleLoaded("test_transition_no_create.TCP"));
    EXPECT_TRUE(m_registry->Entries().empty());

    ASSERT_EQ(0, m_registry->LoadPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    ASSERT_EQ(2u, m_registry->Entries().size());
    EXPECT_STREQ("tcp_tint", m_registry->Entries()[1].name);
    EXPECT_EQ(2, m_registry->Entries()[1].category);
    EXPECT_EQ(1, m_registry->Entries()[1].createArgument);

    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetup(FakeTarget(), "tcp_wipe", 0));
    EXPECT_EQ(0, plugintest::LiveObjectsIn(kPlugin));
    TransCallback* wipe = m_registry->CreateByNameAndSetup(FakeTarget(), "tcp_wipe", 800);
    ASSERT_NE(nullptr, wipe);
    EXPECT_EQ(0, wipe->Kind());

    m_registry.reset();
    ASSERT_TRUE(plugintest::IsModuleLoaded(kPlugin));
    EXPECT_STREQ("tcp_wipe", wipe->Name());
    ReleaseObject(wipe);
    EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
}

TEST_F(TransitionRegistryTest, ScanCountsThePluginThatLacksAnExport) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(plugintest::CopyPlugin(kPlugin, folder.File("a.TCP")));
    ASSERT_TRUE(plugintest::CopyPlugin(kPlugin, folder.File("c.TCP")));
    ASSERT_TRUE(plugintest::CopyPlugin("test_transition_no_create.TCP", folder.File("b.TCP")));
    ASSERT_TRUE(plugintest::CopyPlugin("test_effect.DCP", folder.File("d.DCP")));
    EXPECT_EQ(1, m_registry->ScanFolder(folder.Path().c_str()));
    EXPECT_EQ(4u, m_registry->Entries().size());
    EXPECT_EQ(2u, m_registry->Modules().size());
    m_registry->UnloadAll();
    EXPECT_FALSE(plugintest::IsModuleLoaded("a.TCP"));
    EXPECT_FALSE(plugintest::IsModuleLoaded("c.TCP"));
}

// What a TCP plug-in built by another compiler relies on: the holder count at byte 4 and
// Setup in slot 7 of the table.
TEST_F(TransitionRegistryTest, TransCallbackKeepsThePluginLayout) {
    BuiltinTransition callback(0);
    callback.AddHolder();
    EXPECT_EQ(1, *reinterpret_cast<const std::int32_t*>(reinterpret_cast<const char*>(&callback) + 4));

    typedef std::int32_t(__thiscall * SetupSlot)(void* self, ScreenBuffer* target,
                                                 const std::int32_t* params);
    const std::int32_t words[2] = {3, 99};
    EXPECT_EQ(3, testsupport::SlotAs<SetupSlot>(&callback, 7)(&callback, FakeTarget(), words));
    EXPECT_EQ(FakeTarget(), callback.m_target);
    EXPECT_EQ(99, callback.m_second);
}

}  // namespace
