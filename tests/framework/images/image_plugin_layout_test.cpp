// Image loaders may come from plug-ins built by another compiler, which reach the loader's
// operations by slot number and its holder count and state by offset. These tests use a loader
// only that way.
#include "framework/interfaces/image_plugin.h"

#include <gtest/gtest.h>

#include "framework/interfaces/deleting_destructor.h"
#include "tests/support/table_slots.h"

using testsupport::CallSlot;
using testsupport::FieldAt;

namespace {

class LayoutLoader final : public WithDeletingDestructor<LayoutLoader, ImageLoadObject> {
public:
    explicit LayoutLoader(bool& deleted) : m_deleted(deleted) {}
    ~LayoutLoader() { m_deleted = true; }

    bool XM_METHOD IsSupported(const void*, std::uint32_t, const char*) override { return true; }
    std::int32_t XM_METHOD DecodeWithCallbacks(const void*, std::uint32_t, GllAllocator, void*,
                                               std::uint8_t, GllProgress, void*) override {
        return kGllNotOffered;
    }
    std::int32_t XM_METHOD DecodeToBuffers(const void*, std::uint32_t, HGLOBAL*, HGLOBAL*,
                                           GllProgress, void*) override {
        return kGllNotOffered;
    }
    std::int32_t XM_METHOD Encode(std::int32_t, const void*, std::int32_t, std::int32_t,
                                  std::int32_t, std::int32_t, GllWriter, void*,
                                  const std::uint32_t*, GllProgress, void*) override {
        return kGllNotOffered;
    }

    // Distinct values in every field of the base, for the offset checks.
    void FillFields() {
        m_info = reinterpret_cast<HGLOBAL>(0x11110000);
        m_bits = reinterpret_cast<HGLOBAL>(0x22220000);
        m_totalSize = 0x33330000;
        m_stride = 0x44440000;
        m_extraData = reinterpret_cast<void*>(0x55550000);
        m_extraSize = 0x66660000;
    }
    // The fake blocks must not reach GlobalFree.
    void ClearFields() {
        m_info = nullptr;
        m_bits = nullptr;
        m_extraData = nullptr;
    }

private:
    bool& m_deleted;
};

TEST(ImagePluginLayout, HolderCountAndStateLieAtTheirOffsetsAfterTheTable) {
    bool deleted = false;
    LayoutLoader loader(deleted);
    loader.AddHolder();
    loader.AddHolder();
    loader.FillFields();
    CallSlot<void>(&loader, 6, std::int32_t{-7}, std::int32_t{9});  // SetOrigin
    const struct {
        int offset;
        std::uint32_t word;
    } cases[] = {
        {4, 2},            // extra holders
        {8, 0x11110000},   // info block
        {12, 0x22220000},  // bits block
        {16, 0x33330000},  // total size
        {20, 0x44440000},  // stride
        {24, static_cast<std::uint32_t>(-7)},
        {28, 9},
        {32, 0x55550000},  // extra data
        {36, 0x66660000},  // extra data size
    };
    for (const auto& c : cases) EXPECT_EQ(FieldAt(&loader, c.offset), c.word) << c.offset;
    EXPECT_EQ(sizeof(ImageLoadObject), 40u);
    loader.ClearFields();
}

TEST(ImagePluginLayout, BaseOperationsAnswerThroughTheirSlots) {
    bool deleted = false;
    LayoutLoader loader(deleted);
    CallSlot<void>(&loader, 6, std::int32_t{3}, std::int32_t{4});
    EXPECT_EQ(CallSlot<std::int32_t>(&loader, 7), 3);  // OriginX
    EXPECT_EQ(CallSlot<std::int32_t>(&loader, 8), 4);  // OriginY
    for (int spare : {9, 10, 14, 15}) {
        EXPECT_EQ(CallSlot<std::int32_t>(&loader, spare), kGllNotOffered) << spare;
    }
    EXPECT_EQ(CallSlot<void*>(&loader, 11, std::uint8_t{0}), nullptr);  // TakeExtraData
    EXPECT_EQ(CallSlot<std::uint32_t>(&loader, 12), 0u);               // ExtraDataSize
    EXPECT_FALSE(CallSlot<bool>(&loader, 13));                         // CanEncode
}

TEST(ImagePluginLayout, ReleaseLowersTheCountThenDeletesThroughSlotZero) {
    bool deleted = false;
    auto* loader = new LayoutLoader(deleted);
    loader->AddHolder();
    ReleaseObject(loader);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(FieldAt(loader, 4), 0u);
    ReleaseObject(loader);
    EXPECT_TRUE(deleted);
}

}  // namespace
