// GradientTable: a colour ramp of count entries from colourA towards colourB, as bytes (8-bit
// pictures) or 32-bit pixels; fonts, message windows and effects shade with it.
#pragma once

#include <cstdint>

class GradientTable {
public:
    GradientTable() = default;
    // Starts empty and stores Build's result in *result.
    GradientTable(std::int32_t* result, std::int32_t count, std::int32_t colourA,
                  std::int32_t colourB, std::uint8_t depth);
    ~GradientTable();

    GradientTable(const GradientTable&) = delete;
    GradientTable& operator=(const GradientTable&) = delete;

    // 0 done; 1 count below 2; 2 no memory; 3 depth neither 8 nor 32. On failure the table is
    // empty. Entry 0 is colourA and the last one is short of colourB by one step, except the
    // byte ramp from 255 down to 0, which starts one step below 255 and ends at 0. A 32-bit ramp
    // keeps colourA's alpha byte throughout.
    std::int32_t Build(std::int32_t count, std::int32_t colourA, std::int32_t colourB,
                       std::uint8_t depth);
    // Back to empty; -1.
    std::int32_t Free();
    std::int32_t Release() { return Free(); }

    // count bytes (depth 8) or count 32-bit pixels (depth 32); null when empty.
    const void* Entries() const { return m_entries; }
    std::int32_t Count() const { return m_count; }
    std::int32_t ColourA() const { return m_colourA; }
    std::int32_t ColourB() const { return m_colourB; }
    std::uint8_t Depth() const { return m_depth; }

private:
    void* m_entries = nullptr;
    std::int32_t m_count = 0;
    std::int32_t m_colourA = -1;
    std::int32_t m_colourB = -1;
    std::uint8_t m_depth = 0;
};
