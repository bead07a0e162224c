// Press events of the window-message devices (keyboard and mouse buttons), kept in the two
// nibbles of one byte per code so that a press between two polls is seen for exactly one poll
// period, even when it was released again before the poll.
//
// With the selector at 0 new events go into the high nibble and queries read the low nibble;
// with the selector at 1 the other way round. A poll keeps only the nibble that took new events
// (so the one read so far is cleared and the pending one becomes readable) and flips the
// selector.
//
// In the threaded mode the window thread records events while the game thread polls and queries
// the same bytes. Every change is an atomic read-modify-write, and a device holds its feed lock
// around each feed (selector read and record) and each poll step: were a poll to flip the
// selector between a feed's read and its record, the event would land in the nibble being
// read, where the game's queries of this period may already have looked, and the next poll
// would clear it unseen. Queries take no lock.
#pragma once

#include <cstddef>
#include <cstdint>

namespace eventnibbles {

constexpr std::uint8_t kPress = 0x01;
constexpr std::uint8_t kRepeat = 0x02;

inline std::uint8_t LoadSelector(const std::uint8_t& selector) {
    return __atomic_load_n(&selector, __ATOMIC_ACQUIRE);
}

inline unsigned PendingShift(std::uint8_t selector) { return selector == 0 ? 4 : 0; }
inline unsigned ReadableShift(std::uint8_t selector) { return selector == 0 ? 0 : 4; }

// Adds `bits` to the pending nibble.
inline void Record(std::uint8_t& events, std::uint8_t selector, std::uint8_t bits) {
    __atomic_fetch_or(&events, static_cast<std::uint8_t>(bits << PendingShift(selector)),
                      __ATOMIC_ACQ_REL);
}

// Adds `bits` to the pending nibble unless that nibble already holds an event.
inline void RecordFirst(std::uint8_t& events, std::uint8_t selector, std::uint8_t bits) {
    const unsigned shift = PendingShift(selector);
    std::uint8_t old = __atomic_load_n(&events, __ATOMIC_ACQUIRE);
    for (;;) {
        if ((old >> shift) & 0x0F) return;
        const std::uint8_t wanted = static_cast<std::uint8_t>(old | (bits << shift));
        if (__atomic_compare_exchange_n(&events, &old, wanted, false, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE)) {
            return;
        }
    }
}

// The readable nibble's bits.
inline std::uint8_t Readable(const std::uint8_t& events, std::uint8_t selector) {
    return static_cast<std::uint8_t>((__atomic_load_n(&events, __ATOMIC_ACQUIRE) >>
                                      ReadableShift(selector)) & 0x0F);
}

// The poll step: keeps the pending nibble of every byte, then flips the selector.
inline void Advance(std::uint8_t* events, std::size_t count, std::uint8_t& selector) {
    const std::uint8_t current = LoadSelector(selector);
    const std::uint8_t keep = current == 0 ? 0xF0 : 0x0F;
    for (std::size_t i = 0; i < count; ++i) __atomic_fetch_and(&events[i], keep, __ATOMIC_ACQ_REL);
    __atomic_store_n(&selector, static_cast<std::uint8_t>(current ^ 1), __ATOMIC_RELEASE);
}

// Held bytes (0x80 down, 0 up) are written by one thread and read by another.
inline void StoreHeld(std::uint8_t& held, bool down) {
    __atomic_store_n(&held, static_cast<std::uint8_t>(down ? 0x80 : 0), __ATOMIC_RELEASE);
}

inline std::uint8_t LoadHeld(const std::uint8_t& held) {
    return __atomic_load_n(&held, __ATOMIC_ACQUIRE);
}

}  // namespace eventnibbles
