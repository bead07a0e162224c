#include "pixelops/library/simd_selection.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "pixelops/library/cpu_features.h"
#include "pixelops/library/kernel_dispatch.h"

using namespace pixelops;

namespace {

struct Expectation {
    const char* name;
    std::uint32_t flags;
    int mmx, mmxExt, sse, cmov;
    std::vector<std::pair<int, KernelForm>> words;  // particular slots and their forms
};

std::map<KernelForm, int> CountForms(const KernelChoice* plan) {
    std::map<KernelForm, int> counts;
    for (int i = 0; i < kKernelSlotCount; ++i) ++counts[plan[i].form];
    return counts;
}

}  // namespace

TEST(PlanKernelForms, WhichSlotsChangeForCraftedFeatureWords) {
    const std::uint32_t mmx = kCpuMmx, ext = kCpuMmxExt, sse = kCpuSse, cmov = kCpuCmov;
    const Expectation cases[] = {
        {"nothing", 0, 0, 0, 0, 0, {{27, kFormPortable}, {150, kFormPortable}}},
        {"MMX only",
         mmx,
         128,
         0,
         0,
         0,
         {{27, kFormMmx},
          {96, kFormMmx},
          {97, kFormPortable},
          {98, kFormPortable},
          {150, kFormMmx},
          {151, kFormPortable},
          {146, kFormPortable},
          {171, kFormMmx},
          {234, kFormMmx},
          {30, kFormPortable},
          {153, kFormPortable}}},
        {"MMX and MMX-ext",
         mmx | ext,
         108,
         20,
         0,
         0,
         {{27, kFormMmxExt},
          {44, kFormMmx},
          {158, kFormMmxExt},
          {161, kFormMmxExt},
          {100, kFormMmxExt},
          {96, kFormMmx}}},
        {"MMX-ext without MMX", ext, 0, 0, 0, 0, {{27, kFormPortable}}},
        {"SSE alone takes only the fills",
         sse,
         0,
         0,
         2,
         0,
         {{150, kFormSse}, {151, kFormSse}, {158, kFormPortable}, {27, kFormPortable}}},
        {"CMOV alone", cmov, 0, 0, 0, 1, {{146, kFormCmov}}},
        {"Pentium III",
         kCpuFpu | mmx | ext | sse | cmov | kCpuTimeStamp,
         107,
         18,
         4,
         1,
         {{150, kFormSse},
          {151, kFormSse},
          {158, kFormSse},
          {159, kFormSse},
          {160, kFormMmxExt},
          {146, kFormCmov}}},
        {"SSE probe faulted: SSE and SSE2 gone, MMX-ext kept",
         mmx | ext | cmov,
         108,
         20,
         0,
         1,
         {{150, kFormMmx}, {151, kFormPortable}, {158, kFormMmxExt}, {159, kFormMmxExt}}},
        {"SSE with MMX but no MMX-ext",
         mmx | sse,
         127,
         0,
         2,
         0,
         {{150, kFormSse}, {158, kFormMmx}}},
        {"bits that choose nothing",
         kCpuFpu | kCpu3DNow | kCpu3DNowExt | kCpuSse2 | kCpuTimeStamp | 0x26,
         0,
         0,
         0,
         0,
         {}},
    };
    for (const Expectation& c : cases) {
        KernelChoice plan[kKernelSlotCount];
        PlanKernelForms(c.flags, plan);
        std::map<KernelForm, int> counts = CountForms(plan);
        EXPECT_EQ(c.mmx, counts[kFormMmx]) << c.name;
        EXPECT_EQ(c.mmxExt, counts[kFormMmxExt]) << c.name;
        EXPECT_EQ(c.sse, counts[kFormSse]) << c.name;
        EXPECT_EQ(c.cmov, counts[kFormCmov]) << c.name;
        for (const auto& w : c.words)
            EXPECT_EQ(w.second, plan[w.first - kFirstKernelWord].form)
                << c.name << ", word " << w.first;
    }
}

TEST(PlanKernelForms, HoldAlphaOpacityAddAndSubtractShareTheirNeighboursMmxForm) {
    KernelChoice plan[kKernelSlotCount];
    PlanKernelForms(kCpuMmx, plan);
    for (int word = kFirstKernelWord; word < kPixelOpWordCount; ++word) {
        const int expected = word == 112 ? 111 : word == 116 ? 115 : word;
        EXPECT_EQ(expected, plan[word - kFirstKernelWord].sourceWord) << word;
    }
    PlanKernelForms(0, plan);
    EXPECT_EQ(112, plan[112 - kFirstKernelWord].sourceWord);
}

TEST(SelectSimdKernels, StartsFromPortableEveryTime) {
    InitPortableKernels();
    EXPECT_EQ(kPortableKernels[150 - kFirstKernelWord], kPortableKernels[151 - kFirstKernelWord]);
    EXPECT_EQ(kPortableKernels[97 - kFirstKernelWord], kPortableKernels[98 - kFirstKernelWord]);
    const std::uint32_t saved = CpuFeatureFlags;
    CpuFeatureFlags = kCpuMmx | kCpuMmxExt | kCpuSse | kCpuCmov;
    SelectSimdKernels();
    // Slots whose processor form this build lacks keep their portable kernel.
    for (int i = 0; i < kKernelSlotCount; ++i) {
        KernelChoice plan[kKernelSlotCount];
        PlanKernelForms(CpuFeatureFlags, plan);
        const PixelOperation form = SimdKernel(plan[i].sourceWord, plan[i].form);
        EXPECT_EQ(form ? form : kPortableKernels[i], KernelDispatch[i]) << kFirstKernelWord + i;
    }
    CpuFeatureFlags = saved;
}
