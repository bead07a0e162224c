// WithDeletingDestructor: supplies slot 0 (the deleting destructor) of a cross-module
// interface for one concrete class:
//
//     class FadeTask : public WithDeletingDestructor<FadeTask, ScheduledTask> { ... };
//
// A class derived from such a concrete class names itself again in the same way, so that the
// table's slot 0 always destroys the most derived object.
#pragma once

#include <cstdint>
#include <new>

#include "framework/interfaces/cross_module.h"

template <class Derived, class Base>
class WithDeletingDestructor : public Base {
public:
    using Base::Base;

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override {
        Derived* self = static_cast<Derived*>(this);
        self->~Derived();
        if (flags & xm::kDeleteMemory) ::operator delete(self);
        return self;
    }
};
