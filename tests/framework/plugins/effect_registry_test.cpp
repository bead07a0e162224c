#include "framework/plugins/effect_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/framework/plugin_test_files.h"
#include "tests/support/fake_clock.h"
#include "tests/support/stub_plugin_objects.h"
#include "tests/support/table_slots.h"
#include "tests/support/win_test_env.h"

namespace {

const char kPlugin[] = "test_effect.DCP";

int g_builtinLive = 0;
EffectObject* g_lastCreated = nullptr;

// A host-side effect: its create argument is its initial count of extra holders, and Prepare
// returns its first argument word.
class BuiltinEffect final : public testsupport::StubEffect<BuiltinEffect> {
public:
    explicit BuiltinEffect(std::int32_t holders) {
        m_holders = holders;
        ++g_builtinLive;
    }
    ~BuiltinEffect() { --g_builtinLive; }

    std::int32_t XM_METHOD Kind() override { return 14000; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 1; }
    void XM_METHOD Finish() override {}
    const char* XM_METHOD Name() override { return "builtin"; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Prepare(const void* arguments) override {
        m_prepared = static_cast<const std::int32_t*>(arguments)[1];
        return static_cast<const std::int32_t*>(arguments)[0];
    }
    std::int32_t XM_METHOD Setup(TaskScheduler*, ScreenBuffer*, const std::int32_t*) override {
        return 0;
    }

    std::int32_t m_prepared = 0;
};

EffectObject* XM_CDECL CreateBuiltin(std::int32_t holders) {
    g_lastCreated = new BuiltinEffect(holders);
    return g_lastCreated;
}
EffectObject* XM_CDECL CreateNothing(std::int32_t) { return nullptr; }
void XM_CDECL AssistOne() {}
void XM_CDECL AssistTwo() {}

std::int32_t CallAssist(EffectAssistFunc assist) {
    return reinterpret_cast<std::int32_t (*)()>(assist)();
}

class EffectRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { g_builtinLive = 0; }
    void TearDown() override {
        m_registry.reset();
        EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
        EXPECT_EQ(0, g_builtinLive);
    }

    std::unique_ptr<EffectRegistry> m_registry = std::make_unique<EffectRegistry>();
};

TEST_F(EffectRegistryTest, BuiltinsAreFoundByExactNameFirstRegisteredFirst) {
    EXPECT_EQ(1, m_registry->RegisterBuiltin(nullptr, "a", 0, nullptr, nullptr, 0));
    EXPECT_EQ(1, m_registry->RegisterBuiltin(CreateBuiltin, nullptr, 0, nullptr, nullptr, 0));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateNothing, "bg_wave", 0, AssistOne, nullptr, 7));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "bg_wave", 1, AssistTwo, AssistTwo, 8));
    EXPECT_EQ(2u, m_registry->Entries().size());

    std::int32_t argument = -5;
    EXPECT_EQ(&CreateNothing, m_registry->FindByName("bg_wave", &argument));
    EXPECT_EQ(7, argument);
    EXPECT_EQ(&AssistOne, m_registry->FindAssistFunc("bg_wave"));
    EXPECT_EQ(nullptr, m_registry->FindAssistFunc2("bg_wave"));

    argument = -5;
    EXPECT_EQ(nullptr, m_registry->FindByName("BG_WAVE", &argument));
    EXPECT_EQ(-5, argument);
    EXPECT_EQ(nullptr, m_registry->FindByName("bg_wav", &argument));
    EXPECT_EQ(nullptr, m_registry->CreateByName("bg_wave"));
    EXPECT_EQ(nullptr, m_registry->FindAssistFunc("missing"));
}

TEST_F(EffectRegistryTest, SetupFormsHandTheArgumentsOverAndReleaseRefusedObjects) {
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "one_holder", 0, nullptr, nullptr, 0));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "two_holders", 0, nullptr, nullptr, 1));

    EffectObject* accepted = m_registry->CreateByNameAndSetup("one_holder", 0, 42);
    ASSERT_NE(nullptr, accepted);
    EXPECT_EQ(42, static_cast<BuiltinEffect*>(accepted)->m_prepared);

    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetup("one_holder", 3, 0));
    EXPECT_EQ(1, g_builtinLive);

    // An object that another holder keeps is only counted down when it refuses.
    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetup("two_holders", 3, 0));
    EXPECT_EQ(2, g_builtinLive);
    EffectObject* keptByOtherHolder = g_lastCreated;
    EXPECT_EQ(0, keptByOtherHolder->ExtraHolders());

    const std::int32_t words[2] = {0, 9};
    EffectObject* viaList = m_registry->CreateByNameAndSetupV("one_holder", words);
    ASSERT_NE(nullptr, viaList);
    EXPECT_EQ(9, static_cast<BuiltinEffect*>(viaList)->m_prepared);
    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetupV("missing", words));

    ReleaseObject(accepted);
    ReleaseObject(viaList);
    ReleaseObject(keptByOtherHolder);
}

TEST_F(EffectRegistryTest, PluginEntriesFollowTheBuiltinsAndHideBehindThem) {
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "quake", 3, nullptr, nullptr, 0));
    ASSERT_EQ(0, m_registry->LoadPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    ASSERT_EQ(4u, m_registry->Entries().size());
    ASSERT_EQ(1u, m_registry->Modules().size());
    EXPECT_EQ(2, m_registry->Modules()[0].extraCount);

    const EffectEntry& wave = m_registry->Entries()[1];
    EXPECT_STREQ("dcp_wave", wave.name);
    EXPECT_EQ(0, wave.category);
    EXPECT_EQ(0, wave.createArgument);
    EXPECT_STREQ("dcp_snow", m_registry->Entries()[2].name);
    EXPECT_EQ(3, m_registry->Entries()[2].category);
    EXPECT_EQ(2, m_registry->Entries()[3].createArgument);
    EXPECT_EQ(101, CallAssist(m_registry->FindAssistFunc("dcp_snow")));
    EXPECT_EQ(102, CallAssist(m_registry->FindAssistFunc2("dcp_snow")));

    EffectObject* builtin = m_registry->CreateByName("quake");
    ASSERT_NE(nullptr, builtin);
    EXPECT_STREQ("builtin", builtin->Name());
    ReleaseObject(builtin);

    EffectObject* snow = m_registry->CreateByNameAndSetup("dcp_snow", 0);
    ASSERT_NE(nullptr, snow);
    EXPECT_STREQ("dcp_snow", snow->Name());
    EXPECT_EQ(3, snow->Category());
    EXPECT_EQ(1, plugintest::LiveObjectsIn(kPlugin));
    EXPECT_EQ(nullptr, m_registry->CreateByNameAndSetup("dcp_snow", 1));
    EXPECT_EQ(1, plugintest::LiveObjectsIn(kPlugin));
    ReleaseObject(snow);
    EXPECT_EQ(0, plugintest::LiveObjectsIn(kPlugin));
}

struct LoadFailure {
    const char* name;
    std::string path;
    std::int32_t code;
    const char* module;  // must not stay loaded
};

TEST_F(EffectRegistryTest, FailedLoadsLeaveTheRegistryAsItWas) {
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "kept", 0, nullptr, nullptr, 0));
    const LoadFailure failures[] = {
        {"path too long to resolve", std::string(300, 'x') + ".DCP", 1, nullptr},
        {"no such file", plugintest::BinaryFile("missing.DCP"), 2, nullptr},
        {"not a DLL", plugintest::BinaryFile("framework_tests.exe") + "\\x.DCP", 2, nullptr},
        {"GetObjectType missing", plugintest::BinaryFile("test_effect_no_type.DCP"), 3,
         "test_effect_no_type.DCP"},
        {"second object without a name", plugintest::BinaryFile("test_effect_unnamed.DCP"), 4,
         "test_effect_unnamed.DCP"},
    };
    for (const LoadFailure& failure : failures) {
        SCOPED_TRACE(failure.name);
        EXPECT_EQ(failure.code, m_registry->LoadPlugin(failure.path.c_str()));
        EXPECT_EQ(1u, m_registry->Entries().size());
        EXPECT_TRUE(m_registry->Modules().empty());
        if (failure.module) {
            EXPECT_FALSE(plugintest::IsModuleLoaded(failure.module));
        }
    }
}

TEST_F(EffectRegistryTest, UnloadByTypeKeepsTheDllUntilItsLastEntryGoes) {
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "quake", 3, nullptr, nullptr, 0));
    ASSERT_EQ(0, m_registry->RegisterBuiltin(CreateBuiltin, "bg_blur", 0, nullptr, nullptr, 0));
    ASSERT_EQ(0, m_registry->LoadPlugin(plugintest::BinaryFile(kPlugin).c_str()));

    m_registry->UnloadByType(9);
    EXPECT_EQ(5u, m_registry->Entries().size());

    // Category 3: the built-in "quake" and the plug-in's "dcp_snow" and "quake".
    m_registry->UnloadByType(3);
    ASSERT_EQ(2u, m_registry->Entries().size());
    EXPECT_STREQ("bg_blur", m_registry->Entries()[0].name);
    EXPECT_STREQ("dcp_wave", m_registry->Entries()[1].name);
    EXPECT_TRUE(plugintest::IsModuleLoaded(kPlugin));
    EXPECT_EQ(0, m_registry->Modules()[0].extraCount);

    m_registry->UnloadByType(0);
    EXPECT_TRUE(m_registry->Entries().empty());
    EXPECT_TRUE(m_registry->Modules().empty());
    EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
}

TEST_F(EffectRegistryTest, ScanLoadsTheGoodPluginsAndCountsTheOthers) {
    testsupport::TempFolder folder;
    ASSERT_TRUE(plugintest::CopyPlugin(kPlugin, folder.File("a.DCP")));
    ASSERT_TRUE(plugintest::CopyPlugin("test_effect_no_type.DCP", folder.File("b.DCP")));
    ASSERT_TRUE(plugintest::CopyPlugin("test_effect_unnamed.DCP", folder.File("c.DCP")));
    ASSERT_TRUE(CreateDirectoryA(folder.File("d.DCP").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteFile(folder.File("e.DCP"), std::string("not a DLL")));
    ASSERT_TRUE(testsupport::WriteFile(folder.File("f.TCP"), std::string("other family")));

    EXPECT_EQ(4, m_registry->ScanFolder(folder.Path().c_str()));
    EXPECT_EQ(1u, m_registry->Modules().size());
    EXPECT_EQ(3u, m_registry->Entries().size());
    m_registry->UnloadAll();
    EXPECT_FALSE(plugintest::IsModuleLoaded("a.DCP"));

    testsupport::TempFolder empty;
    EXPECT_EQ(0, m_registry->ScanFolder(empty.Path().c_str()));
    EXPECT_EQ(-1, m_registry->ScanFolder(std::string(300, 'd').c_str()));
}

// The folder's name ends in the second byte of "表", which equals '\': the scan must still add
// its own separator before the pattern.
TEST_F(EffectRegistryTest, ScanOfAFolderWhoseNameEndsInAShiftJisTrailByte) {
    testsupport::TempFolder temporary;
    const std::string folder = temporary.File("効果表");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(plugintest::CopyPlugin(kPlugin, folder + "\\a.DCP"));
    ASSERT_TRUE(plugintest::CopyPlugin("test_effect_no_type.DCP", folder + "\\b.DCP"));
    EXPECT_EQ(1, m_registry->ScanFolder(folder.c_str()));
    EXPECT_EQ(3u, m_registry->Entries().size());
    m_registry->UnloadAll();
}

// Effects travel to schedulers and screens that the application may destroy after the
// registry: the DLL must stay until its last object is gone, in either order.
TEST_F(EffectRegistryTest, PluginObjectsKeepTheirDllUntilTheyAreDestroyed) {
    ASSERT_EQ(0, m_registry->LoadPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    EffectObject* first = m_registry->CreateByName("dcp_wave");
    EffectObject* second = m_registry->CreateByName("dcp_snow");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    second->AddHolder();

    // Object destroyed while the registry still holds the DLL.
    first->DeletingDestructor(xm::kDeleteMemory);
    EXPECT_EQ(1, plugintest::LiveObjectsIn(kPlugin));

    // Registry gone first: the object still works and its release unloads the DLL.
    m_registry.reset();
    ASSERT_TRUE(plugintest::IsModuleLoaded(kPlugin));
    EXPECT_STREQ("dcp_snow", second->Name());
    ReleaseObject(second);
    EXPECT_TRUE(plugintest::IsModuleLoaded(kPlugin));
    EXPECT_EQ(1, plugintest::LiveObjectsIn(kPlugin));
    ReleaseObject(second);
    EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
}

// A plug-in effect is a task of the host's scheduler: it queues itself when set up, is paused
// by its kind and stepped through the shared table and fields, and at its end is deleted inside
// its DLL, which stays loaded until the last of its effects is gone, registry or not.
TEST_F(EffectRegistryTest, PluginEffectsRunOnTheSchedulerUntilTheirEnd) {
    testsupport::FakeClock clock(1000);
    TaskScheduler scheduler(clock);
    ASSERT_EQ(0, m_registry->LoadPlugin(plugintest::BinaryFile(kPlugin).c_str()));
    EffectObject* snow = m_registry->CreateByName("dcp_snow");
    EffectObject* wave = m_registry->CreateByName("dcp_wave");
    ASSERT_NE(nullptr, snow);
    ASSERT_NE(nullptr, wave);
    TaskPointer<EffectObject> snowHandle, waveHandle;
    snowHandle.Reset(snow);
    waveHandle.Reset(wave);
    const std::int32_t twoStepsEvery100Ms[2] = {100, 2};
    ASSERT_EQ(0, snow->Setup(&scheduler, nullptr, twoStepsEvery100Ms));
    ASSERT_EQ(0, wave->Setup(&scheduler, nullptr, twoStepsEvery100Ms));
    EXPECT_TRUE(scheduler.Contains(snow));
    EXPECT_EQ(wave, scheduler.FindByKind(14000));
    m_registry.reset();

    scheduler.PauseKind(14000);
    scheduler.RunDue(0);
    clock.SetMs(1100);
    scheduler.RunDue(0);
    EXPECT_FALSE(snowHandle);
    EXPECT_EQ(1, plugintest::LiveObjectsIn(kPlugin));

    scheduler.ResumeKind(14000);
    EXPECT_EQ(1100u, wave->DueTime());
    scheduler.RunDue(0);
    ASSERT_TRUE(waveHandle);
    EXPECT_EQ(1200u, wave->DueTime());
    EXPECT_TRUE(plugintest::IsModuleLoaded(kPlugin));
    clock.SetMs(1200);
    scheduler.RunDue(0);
    EXPECT_FALSE(waveHandle);
    EXPECT_EQ(0, scheduler.TaskCount());
    EXPECT_FALSE(plugintest::IsModuleLoaded(kPlugin));
}

// What a DCP plug-in built by another compiler relies on: the holder count at byte 36, the
// busy state at byte 40, and Prepare in slot 12 of the table.
TEST_F(EffectRegistryTest, EffectObjectKeepsThePluginLayout) {
    BuiltinEffect effect(0);
    const char* bytes = reinterpret_cast<const char*>(&effect);
    effect.AddHolder();
    effect.AddHolder();
    EXPECT_EQ(2, *reinterpret_cast<const std::int32_t*>(bytes + 36));
    EXPECT_EQ(1, bytes[40]);

    typedef std::int32_t(__thiscall * PrepareSlot)(void* self, const void* arguments);
    const std::int32_t words[2] = {5, 77};
    EXPECT_EQ(5, testsupport::SlotAs<PrepareSlot>(&effect, 12)(&effect, words));
    EXPECT_EQ(77, effect.m_prepared);
}

}  // namespace
