// A DCP effect plug-in of three objects, as a third party would build one.
// Variants: TEST_PLUGIN_WITHOUT_TYPE lacks the GetObjectType export; TEST_PLUGIN_UNNAMED_OBJECT
// offers no name for its second object, so loading fails part-way through.
// TestLiveObjects (not part of the plug-in interface) tells the tests how many objects live.
#include <cstdint>

#include "framework/interfaces/effect_plugin.h"
#include "tests/support/stub_plugin_objects.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

struct ObjectInfo {
    const char* name;
    std::uint8_t category;
    std::int32_t typeId;
};

const ObjectInfo kObjects[] = {
    {"dcp_wave", 0, 14000},
    {"dcp_snow", 3, 14003},
    {"quake", 3, 14003},
};

int g_liveObjects = 0;

// The plug-in has none of the host's code: the scheduler is reached through its table.
std::int32_t AddToScheduler(TaskScheduler* scheduler, ScheduledTask* task, std::uint32_t delay,
                            std::uint32_t period, std::uint32_t count) {
    typedef std::int32_t(XM_METHOD * AddSlot)(TaskScheduler*, ScheduledTask*, std::uint32_t,
                                              std::uint32_t, std::uint32_t);
    const int kAddSlot = 1;
    return reinterpret_cast<AddSlot>((*reinterpret_cast<void***>(scheduler))[kAddSlot])(
        scheduler, task, delay, period, count);
}

class TestEffect final : public testsupport::StubEffect<TestEffect> {
public:
    explicit TestEffect(std::int32_t index) : m_index(index) { ++g_liveObjects; }
    ~TestEffect() { --g_liveObjects; }

    std::int32_t XM_METHOD Kind() override { return kObjects[m_index].typeId; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return ++m_steps >= m_lastStep; }
    void XM_METHOD Finish() override {}
    const char* XM_METHOD Name() override { return kObjects[m_index].name; }
    std::uint8_t XM_METHOD Category() override { return kObjects[m_index].category; }
    // Accepts a first argument word of 0 and refuses with any other value.
    std::int32_t XM_METHOD Prepare(const void* arguments) override {
        return arguments ? *static_cast<const std::int32_t*>(arguments) : 0;
    }
    // Parameter words: the period in ms, then the number of steps after which the effect ends.
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer*,
                                 const std::int32_t* params) override {
        if (!scheduler || !params || params[1] < 1) return 1;
        m_lastStep = params[1];
        return AddToScheduler(scheduler, this, 0, params[0], 0) == 0 ? 0 : 5;
    }

private:
    std::int32_t m_index;
    std::int32_t m_steps = 0;
    std::int32_t m_lastStep = 1;
};

}  // namespace

PLUGIN_EXPORT std::int32_t XM_CDECL GetObjectNum() { return 3; }

PLUGIN_EXPORT EffectObject* XM_CDECL GetObject(std::int32_t index) {
    return index >= 0 && index < 3 ? new TestEffect(index) : nullptr;
}

PLUGIN_EXPORT const char* XM_CDECL GetObjectName(std::int32_t index) {
#ifdef TEST_PLUGIN_UNNAMED_OBJECT
    if (index == 1) return nullptr;
#endif
    return index >= 0 && index < 3 ? kObjects[index].name : nullptr;
}

#ifndef TEST_PLUGIN_WITHOUT_TYPE
PLUGIN_EXPORT std::uint8_t XM_CDECL GetObjectType(std::int32_t index) {
    return index >= 0 && index < 3 ? kObjects[index].category : 0;
}
#endif

PLUGIN_EXPORT std::int32_t XM_CDECL CallbackAssistFunc() { return 101; }
PLUGIN_EXPORT std::int32_t XM_CDECL CallbackAssistFunc2() { return 102; }

PLUGIN_EXPORT std::int32_t XM_CDECL TestLiveObjects() { return g_liveObjects; }
