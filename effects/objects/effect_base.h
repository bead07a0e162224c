// EffectBase: what the built-in effects share over the EffectObject contract. It supplies the
// defaults (no reserved value, every creation argument accepted, no parameter changes and no
// controls), the variadic forms that hand the address of their first variadic word on, and the
// busy counting: OnCreated counts a created effect into the application's busy counter through
// the effect-begin hook, and the destructor counts it out again through the effect-end hook.
// A missing hook is skipped; an effect whose creator set its busy state to 0 is never counted.
//
// Each effect derives as WithDeletingDestructor<Effect, EffectBase>, so that slot 0 destroys
// the whole object; the task's own destructor then writes null into the owner's variable.
// Effects keep raw pointers to the canvases and sprite lists of their target: the scheduler
// that runs them is cleared before the screens go.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/effect_plugin.h"

class SubtractiveRandom;

class EffectBase : public EffectObject {
public:
    std::int32_t XM_METHOD Reserved() override { return 0; }
    std::int32_t XM_METHOD Prepare(const void*) override { return 0; }
    std::int32_t XM_CDECL SetupV(TaskScheduler* scheduler, ScreenBuffer* target, ...) override;
    std::int32_t XM_METHOD ChangeParams(const std::int32_t*) override { return -2; }
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t, ...) override { return -2; }
    std::int32_t XM_METHOD Control(const std::int32_t*) override { return -2; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return -2; }
    void XM_METHOD OnCreated() override;

protected:
    EffectBase() = default;
    ~EffectBase();
};

// The variadic words of a cdecl call lie one after another on the stack, 32 bits each, right
// after the last named argument, where the caller put them (the callee may keep a named
// argument elsewhere, so its address is not used). From the va_list started after the named
// word `first`, the words start one slot back:
//     std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
//         va_list rest;
//         va_start(rest, first);
//         const std::int32_t result = ChangeParams(WordsFrom(rest));
//         va_end(rest);
//         return result;
//     }
inline const std::int32_t* WordsFrom(va_list rest) {
    return reinterpret_cast<const std::int32_t*>(rest) - 1;
}

// The generator that the screen effects draw from (null until one is set: they refuse Setup).
SubtractiveRandom* EffectRandom();
void SetEffectRandom(SubtractiveRandom* generator);

// A parameter word that carries the address of a decimal text: an optional sign, digits, an
// optional fraction and exponent; reading stops at the first other character, and text
// without digits (or a null address) gives `absent` for null and 0 otherwise.
double ReadEffectReal(std::int32_t word, double absent);
