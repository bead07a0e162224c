// A DCP effect plug-in of three objects, as a third party would build one.
// Variants: TEST_PLUGIN_WITHOUT_TYPE lacks the GetObjectType export; TEST_PLUGIN_UNNAMED_OBJECT
// offers no name for its second object, so loading fails part-way through.
// TestLiveObjects (not part of the plug-in interface) tells the tests how many objects live.
#include <cstdint>

#include "framework/interfaces/effect_plugin.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

struct ObjectInfo {
    const char* name;
    std::uint8_t category;
};

const ObjectInfo kObjects[] = {
    {"dcp_wave", 0},
    {"dcp_snow", 3},
    {"quake", 3},
};

int g_liveObjects = 0;

class TestEffect final : public EffectObject {
public:
    explicit TestEffect(std::int32_t index) : m_index(index) { ++g_liveObjects; }
    ~TestEffect() { --g_liveObjects; }

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override {
        this->~TestEffect();
        if (flags & xm::kDeleteMemory) ::operator delete(this);
        return this;
    }
    std::int32_t XM_METHOD TypeId() override { return 14003; }
    std::int32_t XM_METHOD Step(std::uint32_t) override { return 1; }
    void XM_METHOD Finish() override {}
    std::int32_t XM_METHOD TaskReserved1() override { return 0; }
    bool XM_METHOD TaskReserved2() override { return false; }
    bool XM_METHOD TaskReserved3() override { return false; }
    void XM_METHOD Pause(std::uint32_t) override {}
    void XM_METHOD Resume(std::uint32_t) override {}
    const char* XM_METHOD Name() override { return kObjects[m_index].name; }
    std::uint8_t XM_METHOD Category() override { return kObjects[m_index].category; }
    std::int32_t XM_METHOD Reserved() override { return 0; }
    // Accepts a first argument word of 0 and refuses with any other value.
    std::int32_t XM_METHOD Prepare(const void* arguments) override {
        return arguments ? *static_cast<const std::int32_t*>(arguments) : 0;
    }
    std::int32_t XM_METHOD Setup(TaskScheduler*, ScreenBuffer*, const std::int32_t*) override {
        return 0;
    }
    std::int32_t XM_CDECL SetupV(TaskScheduler*, ScreenBuffer*, ...) override { return 0; }
    std::int32_t XM_METHOD ChangeParams(const std::int32_t*) override { return -2; }
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t, ...) override { return -2; }
    std::int32_t XM_METHOD Control(const std::int32_t*) override { return -2; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return -2; }
    void XM_METHOD OnCreated() override {}

private:
    std::int32_t m_index;
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
