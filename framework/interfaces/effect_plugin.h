// The effect object family: named effect objects and the exports of *.DCP effect plug-ins.
//
// An EffectObject is made by a create function (a built-in one, or a DCP plug-in's GetObject)
// and may live in another module, so its layout is part of the contract: the table of
// operations below in this order (slot 0 the deleting destructor with its flags word, every
// operation __thiscall except the variadic forms, which are __cdecl as every variadic member
// is), then the fields at the offsets noted beside them.
// Ownership: whoever holds the effect releases it with ReleaseObject (a nonzero holder count is
// lowered, else the object is deleted through slot 0); a scheduler that runs an effect deletes
// it through slot 0 when it ends. A plug-in's objects free themselves inside the plug-in.
// The registry and the scripts use effects from the thread that runs the scripts.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

class TaskScheduler;
class ScreenBuffer;

class EffectObject {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // Slots 1 to 8 are those of a scheduled task.
    virtual std::int32_t XM_METHOD TypeId() = 0;
    virtual std::int32_t XM_METHOD Step(std::uint32_t now) = 0;
    virtual void XM_METHOD Finish() = 0;
    virtual std::int32_t XM_METHOD TaskReserved1() = 0;
    virtual bool XM_METHOD TaskReserved2() = 0;
    virtual bool XM_METHOD TaskReserved3() = 0;
    virtual void XM_METHOD Pause(std::uint32_t now) = 0;
    virtual void XM_METHOD Resume(std::uint32_t now) = 0;
    virtual const char* XM_METHOD Name() = 0;
    virtual std::uint8_t XM_METHOD Category() = 0;
    virtual std::int32_t XM_METHOD Reserved() = 0;
    // Takes the creation arguments that follow the name in the registry's set-up forms;
    // 0 accepts them.
    virtual std::int32_t XM_METHOD Prepare(const void* arguments) = 0;
    virtual std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                         const std::int32_t* params) = 0;
    virtual std::int32_t XM_CDECL SetupV(TaskScheduler* scheduler, ScreenBuffer* target, ...) = 0;
    virtual std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) = 0;
    virtual std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) = 0;
    virtual std::int32_t XM_METHOD Control(const std::int32_t* arguments) = 0;
    virtual std::int32_t XM_CDECL ControlV(std::int32_t first, ...) = 0;
    virtual void XM_METHOD OnCreated() = 0;

    void AddHolder() { ++m_holders; }
    std::int32_t ExtraHolders() const { return m_holders; }
    // Drops one holder; returns true when the object is to be destroyed.
    bool DropHolder() {
        if (m_holders > 0) {
            --m_holders;
            return false;
        }
        return true;
    }

protected:
    EffectObject() = default;
    ~EffectObject() = default;

    void* m_key = nullptr;                   // offset 4
    std::uint32_t m_dueTime = 0;             // 8
    std::uint32_t m_period = 0;              // 12
    std::uint32_t m_count = 0;               // 16
    std::uint8_t m_finished = 0;             // 20
    std::int32_t m_pauseNesting = 0;         // 24
    std::uint32_t m_pauseStart = 0;          // 28
    EffectObject** m_ownerSlot = nullptr;    // 32
    std::int32_t m_holders = 0;              // 36: holders beyond the first
    std::uint8_t m_busyState = 1;            // 40
};

// Creates an effect; `argument` is the entry's create argument (a plug-in's object index).
typedef EffectObject* (XM_CDECL* EffectCreateFunc)(std::int32_t argument);
// An effect's assist functions have no fixed signature: each caller knows the effect it names.
typedef void (XM_CDECL* EffectAssistFunc)();

// Exports of a DCP plug-in (GetObjectNum, GetObject, GetObjectName and GetObjectType are
// required; CallbackAssistFunc and CallbackAssistFunc2 are optional).
typedef std::int32_t (XM_CDECL* PluginGetObjectNumFunc)();
typedef const char* (XM_CDECL* PluginGetObjectNameFunc)(std::int32_t index);
typedef std::uint8_t (XM_CDECL* PluginGetObjectTypeFunc)(std::int32_t index);

// Releases one holder of an effect (null is allowed).
inline void ReleaseObject(EffectObject* effect) {
    if (effect && effect->DropHolder()) effect->DeletingDestructor(xm::kDeleteMemory);
}
