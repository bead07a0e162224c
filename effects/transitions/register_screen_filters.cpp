#include <new>

#include "effects/transitions/ripple_rows.h"
#include "effects/transitions/ripple_table.h"
#include "effects/transitions/ripple_trans_callback.h"
#include "effects/transitions/screen_filters.h"
#include "framework/plugins/transition_registry.h"

#define SCREEN_FILTER_FACTORY(Name) \
    TransCallback* XM_CDECL Create##Name##TransCallback(std::int32_t) { \
        return new (std::nothrow) Name##TransCallback; \
    }
SCREEN_FILTER_FACTORY(Quake)
SCREEN_FILTER_FACTORY(ZoomFlip)
SCREEN_FILTER_FACTORY(RotCenter)
SCREEN_FILTER_FACTORY(AddSub)
SCREEN_FILTER_FACTORY(HBlur)
SCREEN_FILTER_FACTORY(Ripple)
#undef SCREEN_FILTER_FACTORY

namespace {

// The registry's init hook answers nothing; the choice is kept by the row routines.
void XM_CDECL SelectRippleRows() { SelectRippleBlendVariant(); }

struct Entry {
    const char* name;
    TransCreateFunc create;
    std::uint8_t kind;
    TransEntryHook init;
    TransEntryHook exit;
};

const Entry kEntries[] = {
    {QuakeTransCallback::kName, &CreateQuakeTransCallback, QuakeTransCallback::kKind, nullptr,
     nullptr},
    {ZoomFlipTransCallback::kName, &CreateZoomFlipTransCallback, ZoomFlipTransCallback::kKind,
     nullptr, nullptr},
    {RotCenterTransCallback::kName, &CreateRotCenterTransCallback, RotCenterTransCallback::kKind,
     nullptr, nullptr},
    {AddSubTransCallback::kName, &CreateAddSubTransCallback, AddSubTransCallback::kKind, nullptr,
     nullptr},
    {HBlurTransCallback::kName, &CreateHBlurTransCallback, HBlurTransCallback::kKind, nullptr,
     nullptr},
    {RippleTransCallback::kName, &CreateRippleTransCallback, RippleTransCallback::kKind,
     &SelectRippleRows, &RippleReleaseTables},
};

}  // namespace

std::int32_t RegisterScreenFilters(TransitionRegistry& registry) {
    for (const Entry& entry : kEntries) {
        const std::int32_t code =
            registry.RegisterBuiltin(entry.create, entry.name, entry.kind, 0, entry.init, entry.exit);
        if (code != 0) return code;
    }
    return 0;
}
