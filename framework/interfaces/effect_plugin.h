// The effect object family: named effect objects and the exports of *.DCP effect plug-ins.
//
// An EffectObject is a ScheduledTask: it queues itself on the scheduler that Setup gives it,
// which steps it, pauses it and deletes it like any other task. It is made by a create function
// (a built-in one, or a DCP plug-in's GetObject) and may live in another module, so its layout
// is part of the contract: the task's table (slots 0 to 8) followed by the operations below in
// this order (every operation __thiscall except the variadic forms, which are __cdecl as every
// variadic member is), then the task's fields (offsets 4 to 32) and the effect's own at the
// offsets noted beside them.
// Ownership: whoever holds the effect releases it with ReleaseObject (a nonzero holder count is
// lowered, else the object is deleted through slot 0); a scheduler that runs an effect deletes
// it through slot 0 when it ends. A plug-in's objects free themselves inside the plug-in.
// The registry and the scripts use effects from the thread that runs the scripts.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"
#include "framework/interfaces/holder_count.h"
#include "framework/interfaces/task_scheduling.h"

class ScreenBuffer;

class EffectObject : public ScheduledTask, public HolderCount {
public:
    // Slot 1: the effect's type id, which is the kind that the scheduler cancels, pauses and
    // resumes effects by: 14000 background layer effect (15000 "bg_anime"), 14001 sprite
    // effect, 14002 staff roll, 14003 screen effect.
    std::int32_t XM_METHOD Kind() override = 0;
    // Slot 9 onwards.
    virtual const char* XM_METHOD Name() = 0;
    virtual std::uint8_t XM_METHOD Category() = 0;
    virtual std::int32_t XM_METHOD Reserved() = 0;
    // Takes the creation arguments that follow the name in the registry's set-up forms;
    // 0 accepts them.
    virtual std::int32_t XM_METHOD Prepare(const void* arguments) = 0;
    // Joins the scheduler on success (0), which then owns the effect.
    virtual std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                         const std::int32_t* params) = 0;
    virtual std::int32_t XM_CDECL SetupV(TaskScheduler* scheduler, ScreenBuffer* target, ...) = 0;
    virtual std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) = 0;
    virtual std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) = 0;
    virtual std::int32_t XM_METHOD Control(const std::int32_t* arguments) = 0;
    virtual std::int32_t XM_CDECL ControlV(std::int32_t first, ...) = 0;
    virtual void XM_METHOD OnCreated() = 0;

    // Busy state: 0 never counted, 1 created, 2 counted in the busy counter. A creator that
    // keeps the game thread's priority sets 0 before Setup, so the effect is never counted.
    std::uint8_t BusyState() const { return m_busyState; }
    void SetBusyState(std::uint8_t state) { m_busyState = state; }

protected:
    EffectObject() = default;
    ~EffectObject() = default;

    // The HolderCount base lies at offset 36, right after the task's fields.
    std::uint8_t m_busyState = 1;  // 40
};
static_assert(sizeof(EffectObject) == 44, "the effect's layout is shared with plug-ins");

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
inline void ReleaseObject(EffectObject* effect) { ReleaseHeld(effect); }
