// The pixel-operation library reaches the program's memory surfaces only by slot number,
// __thiscall, and their fields by offset; these tests use an Image the same way.
#include <gtest/gtest.h>

#include <new>

#include "graphics/image/image.h"
#include "tests/support/table_slots.h"

using testsupport::CallSlot;
using testsupport::FieldAt;

namespace {

TEST(SurfaceLayout, SlotsAnswerAndFieldsLieAtTheirOffsets) {
    Image image;
    ASSERT_EQ(0, image.Create(5, 3, 32, 0));
    CallSlot<void>(&image, 19, std::int32_t{-4});                 // SetOriginX
    CallSlot<void>(&image, 20, std::int32_t{6});                  // SetOriginY
    CallSlot<void>(&image, 21, std::uint32_t{0xABCD});            // SetOwnerKey
    EXPECT_EQ(kSurfacePixelBuffer, CallSlot<SurfaceKind>(&image, 1));
    EXPECT_EQ(5, CallSlot<std::int32_t>(&image, 2));              // Width
    EXPECT_EQ(3, CallSlot<std::int32_t>(&image, 3));              // Height
    EXPECT_EQ(20, CallSlot<std::int32_t>(&image, 4));             // Pitch
    EXPECT_EQ(image.Row(0), CallSlot<std::uint8_t*>(&image, 6));  // Bits
    EXPECT_EQ(image.Row(2), CallSlot<std::uint8_t*>(&image, 7, std::int32_t{2}));
    EXPECT_EQ(-1, CallSlot<std::int32_t>(&image, 10));            // ColourKey
    EXPECT_EQ(-4, CallSlot<std::int32_t>(&image, 17));            // OriginX
    EXPECT_EQ(6, CallSlot<std::int32_t>(&image, 18));             // OriginY
    EXPECT_EQ(0xABCDu, CallSlot<std::uint32_t>(&image, 22));      // OwnerKey
    const struct {
        int offset;
        std::uint32_t word;
    } fields[] = {
        {4, 5},                                 // width
        {8, 3},                                 // height
        {12, 20},                               // pitch
        {16, 0xFFFFFFFF},                       // colour key
        {20, 0}, {24, 0}, {28, 5}, {32, 3},     // clip rectangle
        {36, static_cast<std::uint32_t>(-4)},   // origin
        {40, 6},
        {44, 0xABCD},                           // owner key
    };
    for (const auto& f : fields) EXPECT_EQ(f.word, FieldAt(&image, f.offset)) << f.offset;
    // Resize, the one operation after the Surface table.
    EXPECT_EQ(0, CallSlot<std::int32_t>(&image, 23, std::int32_t{4}, std::int32_t{2}));
    EXPECT_EQ(4u, FieldAt(&image, 4));
}

TEST(SurfaceLayout, SlotZeroDestroysTheImageAndFreesMemoryOnlyWhenAsked) {
    alignas(Image) unsigned char storage[sizeof(Image)];
    auto* image = new (storage) Image;
    ASSERT_EQ(0, image->Create(4, 2, 32, 0));
    // Flags 0: destroyed in place, the memory stays ours (the destructor empties the picture).
    EXPECT_EQ(static_cast<void*>(storage), CallSlot<void*>(image, 0, std::uint32_t{0}));
    EXPECT_EQ(0u, FieldAt(storage, 4));

    Surface* heap = new Image;
    EXPECT_EQ(static_cast<void*>(heap), CallSlot<void*>(heap, 0, xm::kDeleteMemory));
}

}  // namespace
