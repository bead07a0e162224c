#include "effects/transitions/transition_routines.h"

#include "effects/transitions/transition_families.h"
#include "graphics/interfaces/surface.h"

namespace {

std::int32_t NotBuilt(Surface*, Surface*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                      ScreenDevice*) {
    return kRoutineNotBuilt;
}

template <bool kFromLeading, std::int32_t kSize>
std::int32_t ColumnStrips(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                          std::int32_t mode, ScreenDevice* device) {
    return StaggeredColumnStrips(d, s, p, x, y, kFromLeading, mode, kSize, device);
}

template <bool kFromLeading, std::int32_t kSize>
std::int32_t RowStrips(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                       std::int32_t mode, ScreenDevice* device) {
    return StaggeredRowStrips(d, s, p, x, y, kFromLeading, mode, kSize, device);
}

template <bool kFromTrailing>
std::int32_t SmearColumns(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                          std::int32_t mode, ScreenDevice* device) {
    return EdgeSmearWipeColumns(d, s, p, x, y, kFromTrailing, mode, device);
}

template <bool kFromTrailing>
std::int32_t SmearRows(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                       std::int32_t mode, ScreenDevice* device) {
    return EdgeSmearWipeRows(d, s, p, x, y, kFromTrailing, mode, device);
}

template <bool kColumns>
std::int32_t SineStretch(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                         std::int32_t mode, ScreenDevice* device) {
    return SineStretchRoutine(d, s, p, x, y, mode, device, kColumns);
}

template <bool kShortPeriod, bool kOpposite>
std::int32_t RowWave(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                     std::int32_t mode, ScreenDevice* device) {
    return RowWaveRoutine(d, s, p, x, y, mode, device, kShortPeriod, kOpposite);
}

template <std::uint8_t kAlignment>
std::int32_t Mosaic(Surface* d, Surface* s, std::int32_t p, std::int32_t x, std::int32_t y,
                    std::int32_t mode, ScreenDevice* device) {
    return MosaicRoutine(d, s, p, x, y, mode, device, kAlignment);
}

struct RoutineTable {
    TransitionRoutineFunc entries[kTransitionRoutineCount];

    RoutineTable() {
        for (TransitionRoutineFunc& entry : entries) entry = &NotBuilt;
        for (std::int32_t i = 0; i < kTransitionRoutineCount; ++i) {
            if (TransitionRoutineFunc f = WipeRoutine(i)) entries[i] = f;
            if (TransitionRoutineFunc f = ShapeRoutine(i)) entries[i] = f;
            if (TransitionRoutineFunc f = DissolveRoutine(i)) entries[i] = f;
            if (TransitionRoutineFunc f = CellRoutine(i)) entries[i] = f;
        }
        entries[2] = &SineStretch<false>;
        entries[3] = &SineStretch<true>;
        entries[23] = &RowWave<false, false>;
        entries[24] = &RowWave<false, true>;
        entries[25] = &RowWave<true, false>;
        entries[26] = &RowWave<true, true>;
        entries[53] = &CrossfadeRoutine;
        entries[68] = &Mosaic<0>;
        entries[69] = &Mosaic<1>;
        entries[70] = &InvertRoutine;
        entries[71] = &ColumnStrips<true, 16>;
        entries[72] = &ColumnStrips<false, 16>;
        entries[73] = &ColumnStrips<true, 8>;
        entries[74] = &ColumnStrips<false, 8>;
        entries[75] = &RowStrips<true, 16>;
        entries[76] = &RowStrips<false, 16>;
        entries[77] = &RowStrips<true, 8>;
        entries[78] = &RowStrips<false, 8>;
        entries[79] = &SmearColumns<true>;
        entries[80] = &SmearColumns<false>;
        entries[81] = &SmearRows<true>;
        entries[82] = &SmearRows<false>;
    }
};

const RoutineTable kRoutines;

bool IsDirectDrawSource(std::uint8_t kind) {
    return kind == kSurfaceDirectDrawImage || kind == kSurfaceTextBitmapImage;
}

}  // namespace

TransitionRoutineFunc TransitionRoutineAt(std::int32_t index) {
    if (static_cast<std::uint32_t>(index) >= kTransitionRoutineCount) return nullptr;
    return kRoutines.entries[index];
}

std::int32_t RunTransitionEffect(std::int32_t index, Surface* destination, Surface* source,
                                 std::int32_t progress, std::int32_t x, std::int32_t y,
                                 std::int32_t mode, ScreenDevice* device) {
    if (device) {
        if (!source || !IsDirectDrawSource(source->Kind())) return 1;
        mode = kDrawDirectDraw;
    } else {
        if (!destination || !source) return 1;
        const std::uint8_t destinationKind = destination->Kind();
        const std::uint8_t sourceKind = source->Kind();
        if (destinationKind == kSurfacePixelBuffer && sourceKind == kSurfacePixelBuffer) {
            // A routine in mode 2 would take the destination Image for a DirectDraw surface.
            if (mode == kDrawDirectDraw) return 1;
        } else if (destinationKind == kSurfaceDirectDrawImage && IsDirectDrawSource(sourceKind)) {
            mode = kDrawDirectDraw;
        } else {
            return 1;
        }
    }
    const TransitionRoutineFunc routine = TransitionRoutineAt(index);
    if (!routine) return -1;
    return routine(destination, source, progress, x, y, mode, device);
}
