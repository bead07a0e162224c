// The four configurations every image-operation table runs in: without the pixel-operation
// library on the plain kernels and on the MMX kernels, and with the real qmxgl.dll created for
// a processor record without SIMD features (its portable kernels) and for the detected record.
// The library's kernel choice is process-wide, so only one configuration lives at a time.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "framework/system/cpu_info.h"
#include "framework/files/path_utilities.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/kernel_form.h"

namespace testsupport {

enum class PixelConfig { PlainKernels, MmxKernels, LibraryPortable, LibraryDetected };

constexpr PixelConfig kPixelConfigs[] = {PixelConfig::PlainKernels, PixelConfig::MmxKernels,
                                         PixelConfig::LibraryPortable,
                                         PixelConfig::LibraryDetected};

inline const char* PixelConfigName(PixelConfig c) {
    switch (c) {
        case PixelConfig::PlainKernels: return "plain kernels";
        case PixelConfig::MmxKernels: return "MMX kernels";
        case PixelConfig::LibraryPortable: return "library, no SIMD";
        default: return "library, detected";
    }
}

// A test name for each configuration.
inline std::string PixelConfigTestName(const ::testing::TestParamInfo<PixelConfig>& info) {
    std::string name = PixelConfigName(info.param);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

inline bool UsesLibrary(PixelConfig c) {
    return c == PixelConfig::LibraryPortable || c == PixelConfig::LibraryDetected;
}

// Sets a configuration up for its lifetime; false from Ready() when the library did not load.
class PixelConfigScope {
public:
    explicit PixelConfigScope(PixelConfig config) {
        SetBaseDirectoryFromModule(nullptr);
        switch (config) {
            case PixelConfig::PlainKernels:
                ForceKernelForm(KernelForm::Plain);
                break;
            case PixelConfig::MmxKernels:
                ForceKernelForm(KernelForm::Mmx);
                break;
            case PixelConfig::LibraryPortable: {
                ForceKernelForm(KernelForm::Plain);
                static const CpuInfoRecord kNoSimd = {};
                m_loader = std::make_unique<PixelOpLibraryLoader>("qmxgl.dll", &kNoSimd);
                break;
            }
            case PixelConfig::LibraryDetected:
                ForceKernelForm(KernelForm::Detected);
                DetectProcessor();
                m_loader = std::make_unique<PixelOpLibraryLoader>("qmxgl.dll", &g_cpuInfo);
                break;
        }
        if (m_loader) SetCurrentPixelOpLibrary(m_loader.get());
    }
    ~PixelConfigScope() {
        SetCurrentPixelOpLibrary(nullptr);
        m_loader.reset();
        ForceKernelForm(KernelForm::Detected);
    }
    PixelConfigScope(const PixelConfigScope&) = delete;
    PixelConfigScope& operator=(const PixelConfigScope&) = delete;

    bool Ready() const { return !m_loader || CurrentPixelOpLibrary() != nullptr; }

private:
    std::unique_ptr<PixelOpLibraryLoader> m_loader;
};

}  // namespace testsupport
