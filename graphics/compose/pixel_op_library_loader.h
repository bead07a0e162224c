// The game program's side of the pixel-operation library (qmxgl.dll): loading it by name,
// handing it the program's three rectangle-copy kernels, creating the library object for the
// program's processor record, and publishing the object's operations in PixelOpTable behind
// the current-library gate. Without the library every caller runs the program's own kernels.
//
// Loading, the gate and unloading belong to the main thread at start-up and exit; between them
// the table and the gate are only read.
#pragma once

#include <windows.h>

#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

struct CpuInfoRecord;

// The library object's words 1 to 234 as the program calls them.
struct PixelOpTable {
    LastUpdatedRect* lastUpdatedRect;                                    // word 1
    PixelOperation operations[kPixelOpWordCount - kFirstOperationWord];  // words 2-234

    PixelOperation Word(int word) const { return operations[word - kFirstOperationWord]; }
};

extern PixelOpTable g_pixelOpTable;

class PixelOpLibraryLoader {
public:
    // Loads the library at `path` (made absolute against the base folder) and sets it up for
    // `cpuRecord` (null: the plain copy kernels, and the library detects the processor itself).
    // Afterwards Module() is null when anything failed; nothing stays loaded then.
    PixelOpLibraryLoader(const char* path, const CpuInfoRecord* cpuRecord);
    // Deletes the library object through its own destructor, then unloads the library; a
    // loader that is the current library stops being it, and otherwise the table gets the
    // current library's words back.
    virtual ~PixelOpLibraryLoader();
    PixelOpLibraryLoader(const PixelOpLibraryLoader&) = delete;
    PixelOpLibraryLoader& operator=(const PixelOpLibraryLoader&) = delete;

    HMODULE Module() const { return m_module; }
    PixelOpLibrary* Library() const { return m_library; }

private:
    HMODULE m_module = nullptr;
    PixelOpLibrary* m_library = nullptr;
};

// The gate: becomes `loader` when it is loaded (and the table holds its words), null otherwise.
void SetCurrentPixelOpLibrary(PixelOpLibraryLoader* loader);
// Null while no library is loaded; every operation that can use the library asks first.
PixelOpLibraryLoader* CurrentPixelOpLibrary();
