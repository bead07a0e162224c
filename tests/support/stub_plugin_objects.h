// Bases for the effects and transition callbacks that tests and test plug-ins build: slot 0, and
// the operations that no test of these families exercises (the variadic set-up accepts,
// parameter changes and controls answer -2, not supported), so that each test object writes
// only what it shows. Header only: test plug-ins use it without linking any of the program.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/effect_plugin.h"
#include "framework/interfaces/transition_plugin.h"

namespace testsupport {

template <class Derived>
class StubEffect : public WithDeletingDestructor<Derived, EffectObject> {
public:
    std::int32_t XM_METHOD Reserved() override { return 0; }
    std::int32_t XM_CDECL SetupV(TaskScheduler*, ScreenBuffer*, ...) override { return 0; }
    std::int32_t XM_METHOD ChangeParams(const std::int32_t*) override { return -2; }
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t, ...) override { return -2; }
    std::int32_t XM_METHOD Control(const std::int32_t*) override { return -2; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return -2; }
    void XM_METHOD OnCreated() override {}
};

template <class Derived>
class StubTransition : public WithDeletingDestructor<Derived, TransCallback> {
public:
    std::int32_t XM_METHOD Update(std::uint32_t) override { return 0; }
    std::int32_t XM_METHOD Status() override { return 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit*) override { return 0; }
    std::int32_t XM_CDECL SetupV(ScreenBuffer*, ...) override { return 0; }
    std::int32_t XM_METHOD Control(std::int32_t, std::int32_t) override { return -2; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return -2; }
};

}  // namespace testsupport
