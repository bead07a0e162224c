// The assist exports of the test ADL plug-in. They live apart because the host's interface
// header gives these two names to the function types.
#include <cstdint>

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

PLUGIN_EXPORT std::int32_t __cdecl AdlAssistFunc(std::int32_t, ...) { return 0; }
#ifndef TEST_PLUGIN_WITHOUT_ASSIST2
// Without a record 42; with one, 10 times its first word plus its second, so that a caller can
// see which words reached it.
PLUGIN_EXPORT std::int32_t __cdecl AdlAssistFunc2(const void* record) {
    if (!record) return 42;
    const std::int32_t* const words = static_cast<const std::int32_t*>(record);
    return words[0] * 10 + words[1];
}
#endif
