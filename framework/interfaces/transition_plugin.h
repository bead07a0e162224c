// The transition family: transition and screen-filter callbacks and the exports of *.TCP
// transition plug-ins.
//
// A TransCallback is made by a create function (a built-in one, or a TCP plug-in's GetObject)
// and may live in another module, so its layout is part of the contract: the table of ten
// operations below in this order (slot 0 the deleting destructor with its flags word, every
// operation __thiscall except the variadic forms, which are __cdecl as every variadic member
// is), then the 32-bit holder count at offset 4.
// Ownership: every holder releases the callback with ReleaseObject (a nonzero holder count is
// lowered, else the object is deleted through slot 0). A plug-in's objects free themselves
// inside the plug-in. Callbacks are used from the thread that runs the scripts.
#pragma once

#include <cstdint>

#include "framework/interfaces/effect_plugin.h"
#include "framework/interfaces/holder_count.h"

class Image;
class ScreenBuffer;

// What a callback's Draw gets: the area to draw and the pictures it lies in.
struct TransitionBlit {
    std::int32_t areaX;
    std::int32_t areaY;
    std::int32_t width;
    std::int32_t height;
    Image* target;
    std::int32_t targetX;
    std::int32_t targetY;
    Image* from;
    std::int32_t fromX;
    std::int32_t fromY;
    Image* to;  // null for filters
    std::int32_t toX;
    std::int32_t toY;
};

class TransCallback : public HolderCount {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual std::uint8_t XM_METHOD Kind() = 0;
    virtual const char* XM_METHOD Name() = 0;
    virtual std::int32_t XM_METHOD Update(std::uint32_t now) = 0;
    virtual std::int32_t XM_METHOD Status() = 0;
    virtual std::int32_t XM_METHOD Draw(const TransitionBlit* blit) = 0;
    virtual std::int32_t XM_CDECL SetupV(ScreenBuffer* target, ...) = 0;
    // Checks and keeps the parameter words; 0 accepts them.
    virtual std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) = 0;
    virtual std::int32_t XM_METHOD Control(std::int32_t first, std::int32_t second) = 0;
    virtual std::int32_t XM_CDECL ControlV(std::int32_t first, ...) = 0;

protected:
    TransCallback() = default;
    ~TransCallback() = default;
};
static_assert(sizeof(TransCallback) == 8,
              "a table pointer and the holder count: the layout is shared with plug-ins");

// Creates a callback; `argument` is the entry's create argument (a plug-in's object index).
typedef TransCallback* (XM_CDECL* TransCreateFunc)(std::int32_t argument);
// Run once before the first use of a built-in entry, and when the entry is removed.
typedef void (XM_CDECL* TransEntryHook)();

// Releases one holder of a callback (null is allowed).
inline void ReleaseObject(TransCallback* callback) { ReleaseHeld(callback); }
