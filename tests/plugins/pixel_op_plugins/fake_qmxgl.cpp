// A stand-in for the pixel-operation library with the real library's exports and object
// layout. It records the copy routines and processor record it is given, and its object's
// operation words are recognisable numbers (word n holds 0x1000 + n), never called.
// Variants: FAKE_QMXGL_NULL_LIBRARY answers GetLibrary with null; FAKE_QMXGL_WITHOUT_CONFIG
// lacks the qmxglConfig export.
// FakeConfiguredRoutines, FakeLastRecord and FakeCountDeletions are for the tests only.
#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

#define FAKE_EXPORT extern "C" __declspec(dllexport)

namespace {

HostCopyRoutines g_configured = {};
const CpuInfoRecord* g_lastRecord = nullptr;
std::int32_t* g_deletions = nullptr;
LastUpdatedRect g_lastUpdated = {};

class FakeLibrary final : public PixelOpLibrary {
public:
    FakeLibrary() {
        m_lastUpdatedRect = &g_lastUpdated;
        for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word) {
            m_operations[word - kFirstOperationWord] =
                reinterpret_cast<PixelOperation>(static_cast<std::uintptr_t>(0x1000 + word));
        }
    }
    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override {
        if (g_deletions) ++*g_deletions;
        this->~FakeLibrary();
        if (flags & xm::kDeleteMemory) ::operator delete(this);
        return this;
    }
};

}  // namespace

#ifndef FAKE_QMXGL_WITHOUT_CONFIG
FAKE_EXPORT std::int32_t QMXGL_CALL qmxglConfig(HostCopyRoutines routines) {
    g_configured = routines;
    return 0;
}
#endif

FAKE_EXPORT PixelOpLibrary* QMXGL_CALL GetLibrary(const CpuInfoRecord* record) {
    g_lastRecord = record;
#ifdef FAKE_QMXGL_NULL_LIBRARY
    return nullptr;
#else
    return new FakeLibrary;
#endif
}

FAKE_EXPORT const HostCopyRoutines* QMXGL_CALL FakeConfiguredRoutines() {
    return &g_configured;
}
FAKE_EXPORT const CpuInfoRecord* QMXGL_CALL FakeLastRecord() {
    return g_lastRecord;
}
FAKE_EXPORT void QMXGL_CALL FakeCountDeletions(std::int32_t* counter) {
    g_deletions = counter;
}
