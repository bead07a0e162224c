// A TCP transition plug-in of two callbacks, as a third party would build one.
// Variant: TEST_PLUGIN_WITHOUT_CREATE lacks the GetObject export.
// TestLiveObjects (not part of the plug-in interface) tells the tests how many objects live.
#include <cstdint>

#include "framework/interfaces/transition_plugin.h"
#include "tests/support/stub_plugin_objects.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

struct ObjectInfo {
    const char* name;
    std::uint8_t category;
    std::uint8_t kind;
};

const ObjectInfo kObjects[] = {
    {"tcp_wipe", 0, 0},
    {"tcp_tint", 2, 2},
};

int g_liveObjects = 0;

class TestTransition final : public testsupport::StubTransition<TestTransition> {
public:
    explicit TestTransition(std::int32_t index) : m_index(index) { ++g_liveObjects; }
    ~TestTransition() { --g_liveObjects; }

    std::uint8_t XM_METHOD Kind() override { return kObjects[m_index].kind; }
    const char* XM_METHOD Name() override { return kObjects[m_index].name; }
    // A duration (word 0) of 0 is refused, as the built-ins do.
    std::int32_t XM_METHOD Setup(ScreenBuffer*, const std::int32_t* params) override {
        return params && params[0] > 0 ? 0 : 1;
    }

private:
    std::int32_t m_index;
};

}  // namespace

PLUGIN_EXPORT std::int32_t XM_CDECL GetObjectNum() { return 2; }

#ifndef TEST_PLUGIN_WITHOUT_CREATE
PLUGIN_EXPORT TransCallback* XM_CDECL GetObject(std::int32_t index) {
    return index >= 0 && index < 2 ? new TestTransition(index) : nullptr;
}
#endif

PLUGIN_EXPORT const char* XM_CDECL GetObjectName(std::int32_t index) {
    return index >= 0 && index < 2 ? kObjects[index].name : nullptr;
}

PLUGIN_EXPORT std::uint8_t XM_CDECL GetObjectType(std::int32_t index) {
    return index >= 0 && index < 2 ? kObjects[index].category : 0;
}

PLUGIN_EXPORT std::int32_t XM_CDECL TestLiveObjects() { return g_liveObjects; }
