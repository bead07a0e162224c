#include "graphics/image/kernel_form.h"

#include "framework/system/cpu_info.h"

namespace {

KernelForm g_forcedForm = KernelForm::Detected;

}  // namespace

void ForceKernelForm(KernelForm form) {
    g_forcedForm = form;
}

bool UseMmxKernels() {
    switch (g_forcedForm) {
        case KernelForm::Plain:
            return false;
        case KernelForm::Mmx:
            return true;
        default:
            return g_cpuInfo.mmx != 0;
    }
}
