// The assist exports of the test ADL plug-in. They live apart because the host's interface
// header gives these two names to the function types.
#include <cstdint>

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

PLUGIN_EXPORT std::int32_t __cdecl AdlAssistFunc(std::int32_t, ...) { return 0; }
#ifndef TEST_PLUGIN_WITHOUT_ASSIST2
PLUGIN_EXPORT std::int32_t __cdecl AdlAssistFunc2(const void*) { return 42; }
#endif
