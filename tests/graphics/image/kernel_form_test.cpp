#include "graphics/image/kernel_form.h"

#include <gtest/gtest.h>

#include "framework/system/cpu_info.h"

namespace {

TEST(KernelForm, ForcedFormWinsOverTheProcessorRecord) {
    const std::uint8_t saved = g_cpuInfo.mmx;
    struct Row {
        KernelForm form;
        std::uint8_t mmxByte;
        bool mmx;
    };
    const Row rows[] = {
        {KernelForm::Detected, 0, false},
        {KernelForm::Detected, 1, true},
        {KernelForm::Plain, 1, false},
        {KernelForm::Mmx, 0, true},
    };
    for (const Row& r : rows) {
        g_cpuInfo.mmx = r.mmxByte;
        ForceKernelForm(r.form);
        EXPECT_EQ(r.mmx, UseMmxKernels()) << static_cast<int>(r.form) << " " << int{r.mmxByte};
    }
    ForceKernelForm(KernelForm::Detected);
    g_cpuInfo.mmx = saved;
}

}  // namespace
