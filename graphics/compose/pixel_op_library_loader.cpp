#include "graphics/compose/pixel_op_library_loader.h"

#include "framework/system/cpu_info.h"
#include "framework/files/path_utilities.h"
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

void CopyWords(const PixelOpLibrary& library) {
    g_pixelOpTable.lastUpdatedRect = library.m_lastUpdatedRect;
    for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word) {
        g_pixelOpTable.operations[word - kFirstOperationWord] = library.Word(word);
    }
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
    CopyWords(*m_library);
}

PixelOpLibraryLoader::~PixelOpLibraryLoader() {
    if (g_currentLibrary == this) {
        g_currentLibrary = nullptr;
    } else if (g_currentLibrary) {
        // This loader's words may have replaced the current library's in the table; they are
        // about to point into an unloaded module.
        CopyWords(*g_currentLibrary->Library());
    }
    PixelOpLibraryDelete(m_library);
    if (m_module) FreeLibrary(m_module);
}

void SetCurrentPixelOpLibrary(PixelOpLibraryLoader* loader) {
    g_currentLibrary = loader && loader->Module() ? loader : nullptr;
    // The table holds the words of the last loader created, which need not be this one.
    if (g_currentLibrary) CopyWords(*g_currentLibrary->Library());
}

PixelOpLibraryLoader* CurrentPixelOpLibrary() {
    return g_currentLibrary;
}
