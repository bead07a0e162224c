// Conventions shared by every interface that crosses a module boundary
// (plug-in objects, the pixel-operation library object, the host surface, callback tables).
//
// Such interfaces are declared COM-style, as the DirectX headers are:
//  - abstract classes without a C++ virtual destructor: g++ would lay that out as two table
//    slots, while the other side of the boundary (built by a Windows compiler) expects one;
//  - slot 0 is an explicit deleting destructor that takes its flags word (bit 0: free the
//    memory after destruction), exactly as the Windows compilers call it;
//  - no overloaded virtual functions (their slot order differs between compilers);
//  - every operation carries its calling convention explicitly.
// Inside one module, ordinary C++ is used.
#pragma once

#include <cstdint>

// Member operations of cross-module objects: this in ECX, arguments on the stack, callee pops.
#define XM_METHOD __thiscall
// Free functions and callbacks exported to or imported from other modules.
#define XM_CDECL __cdecl
#define XM_STDCALL __stdcall

namespace xm {

// Flags word of the deleting destructor.
constexpr std::uint32_t kDeleteMemory = 1;

}  // namespace xm
