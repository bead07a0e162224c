#include <new>

#include "effects/transitions/builtin_transitions.h"
#include "framework/plugins/transition_registry.h"

#define TRANSITION_FACTORY(Name) \
    TransCallback* XM_CDECL Create##Name##TransCallback(std::int32_t) { \
        return new (std::nothrow) Name##TransCallback; \
    }
TRANSITION_FACTORY(Cross)
TRANSITION_FACTORY(Rule)
TRANSITION_FACTORY(Scroll)
TRANSITION_FACTORY(Wave)
TRANSITION_FACTORY(Mosaic)
TRANSITION_FACTORY(RotAxis)
TRANSITION_FACTORY(Trans)
TRANSITION_FACTORY(Tone)
#undef TRANSITION_FACTORY

namespace {

struct Entry {
    const char* name;
    TransCreateFunc create;
    std::uint8_t kind;
};

const Entry kEntries[] = {
    {CrossTransCallback::kName, &CreateCrossTransCallback, CrossTransCallback::kKind},
    {RuleTransCallback::kName, &CreateRuleTransCallback, RuleTransCallback::kKind},
    {ScrollTransCallback::kName, &CreateScrollTransCallback, ScrollTransCallback::kKind},
    {WaveTransCallback::kName, &CreateWaveTransCallback, WaveTransCallback::kKind},
    {MosaicTransCallback::kName, &CreateMosaicTransCallback, MosaicTransCallback::kKind},
    {RotAxisTransCallback::kName, &CreateRotAxisTransCallback, RotAxisTransCallback::kKind},
    {TransTransCallback::kName, &CreateTransTransCallback, TransTransCallback::kKind},
    {ToneTransCallback::kName, &CreateToneTransCallback, ToneTransCallback::kKind},
};

}  // namespace


std::int32_t RegisterBuiltinTransitions(TransitionRegistry& registry) {
    for (const Entry& entry : kEntries) {
        const std::int32_t code =
            registry.RegisterBuiltin(entry.create, entry.name, entry.kind, 0, nullptr, nullptr);
        if (code != 0) return code;
    }
    return 0;
}
