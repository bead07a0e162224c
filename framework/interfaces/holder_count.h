// HolderCount: the 32-bit count of holders beyond the first (0 = one holder) that streams,
// archives, effects and transition callbacks carry for code in other modules.
//
// It is a base without a table of its own, so it adds no slot: it lies where a data member
// declared at the same place would, right after the table pointer of a class that starts one
// (offset 4) or after the fields of a base class that the table comes from. The objects never
// change their count themselves; ReleaseHeld is how a holder lets go.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

class HolderCount {
public:
    void AddHolder() { ++m_holders; }
    std::int32_t ExtraHolders() const { return m_holders; }
    // Drops one holder; returns true when the object is to be destroyed.
    bool DropHolder() {
        if (m_holders > 0) {
            --m_holders;
            return false;
        }
        return true;
    }

protected:
    HolderCount() = default;
    ~HolderCount() = default;

    std::int32_t m_holders = 0;
};

// Releases one holder of a counted object (null is allowed): a nonzero count is lowered, else
// the object is deleted through slot 0.
template <class Counted>
void ReleaseHeld(Counted* object) {
    if (object && object->DropHolder()) object->DeletingDestructor(xm::kDeleteMemory);
}
