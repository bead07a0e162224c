// How commands read their argument words and write their results.
//
// A boolean word is true when nonzero; a byte word (a colour channel, a flag, a mode) counts by
// its low 8 bits. An optional group of words (a point, a size, a rectangle) is absent when its
// first word is 65535 (not -1, which is a real coordinate); its other words are then not read.
// Rectangles are left, top, right, bottom, right and bottom exclusive. An out-parameter is a
// pointer word; 0 means the value is not wanted.
#pragma once

#include <windows.h>

#include <cstdint>

namespace command_args {

constexpr std::uint32_t kGroupAbsent = 0xFFFF;

inline bool Bool(std::uint32_t word) { return word != 0; }
inline std::uint8_t Byte(std::uint32_t word) { return static_cast<std::uint8_t>(word & 0xFF); }
inline std::int32_t Int(std::uint32_t word) { return static_cast<std::int32_t>(word); }
inline const char* Text(std::uint32_t word) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(word));
}

inline bool GroupPresent(const std::uint32_t* group) { return group[0] != kGroupAbsent; }

// False, with out untouched, when the group is absent.
inline bool Rect(const std::uint32_t* group, RECT* out) {
    if (!GroupPresent(group)) return false;
    *out = RECT{Int(group[0]), Int(group[1]), Int(group[2]), Int(group[3])};
    return true;
}

inline bool Point(const std::uint32_t* group, POINT* out) {
    if (!GroupPresent(group)) return false;
    *out = POINT{Int(group[0]), Int(group[1])};
    return true;
}

// Writes value where the pointer word points; nothing for a null pointer word.
template <class T>
void WriteOut(std::uint32_t pointerWord, T value) {
    if (pointerWord == 0) return;
    *reinterpret_cast<T*>(static_cast<std::uintptr_t>(pointerWord)) = value;
}

inline std::uint32_t Result(std::int32_t value) { return static_cast<std::uint32_t>(value); }

template <class T>
std::uint32_t HandleWord(const T* object) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

}  // namespace command_args
