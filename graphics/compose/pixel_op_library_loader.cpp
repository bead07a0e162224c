#include "graphics/compose/pixel_op_library_loader.h"

#include "framework/cpu_info.h"
#include "framework/path_utilities.h"
#include "graphics/image/copy_kernels.h"

PixelOpTable g_pixelOpTable = {};

namespace {

PixelOpLibraryLoader* g_currentLibrary = nullptr;

HostCopyRoutines ChooseCopyRoutines(const CpuInfoRecord* cpuRecord) {
    if (cpuRecord && cpuRecord->mmx) {
        return {0, KernelCopyMmx, KernelCopyColourMmx, KernelCopyAlphaMmx};
    }
    return {0, KernelCopy, KernelCopyColour, KernelCopyAlpha};
}

}  // namespace

PixelOpLibraryLoader::PixelOpLibraryLoader(const char* path, const CpuInfoRecord* cpuRecord) {
    char fullPath[kPathCapacity];
    if (!path || MakeFullPath(fullPath, path, nullptr) == 0) return;
    m_module = LoadLibraryA(fullPath);
    if (!m_module) return;

    auto config = reinterpret_cast<QmxglConfigProc>(
        reinterpret_cast<void*>(GetProcAddress(m_module, kQmxglConfigName)));
    auto getLibrary = reinterpret_cast<GetLibraryProc>(
        reinterpret_cast<void*>(GetProcAddress(m_module, kGetLibraryName)));
    if (config && getLibrary) {
        // The library only refuses a record it cannot use; its answer changes nothing here.
        config(ChooseCopyRoutines(cpuRecord));
        m_library = getLibrary(cpuRecord);
    }
    if (!m_library) {
        FreeLibrary(m_module);
        m_module = nullptr;
        return;
    }
    g_pixelOpTable.lastUpdatedRect = m_library->m_lastUpdatedRect;
    for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word) {
        g_pixelOpTable.operations[word - kFirstOperationWord] = m_library->Word(word);
    }
}

PixelOpLibraryLoader::~PixelOpLibraryLoader() {
    if (g_currentLibrary == this) g_currentLibrary = nullptr;
    PixelOpLibraryDelete(m_library);
    if (m_module) FreeLibrary(m_module);
}

void SetCurrentPixelOpLibrary(PixelOpLibraryLoader* loader) {
    g_currentLibrary = loader && loader->Module() ? loader : nullptr;
}

PixelOpLibraryLoader* CurrentPixelOpLibrary() {
    return g_currentLibrary;
}
