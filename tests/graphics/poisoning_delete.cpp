#include "tests/graphics/poisoning_delete.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Plain C storage: the graveyard must not allocate through the operators it replaces.
bool g_poisoning = false;
void** g_graveyard = nullptr;
std::size_t g_count = 0;
std::size_t g_capacity = 0;

void Bury(void* p) {
    if (g_count == g_capacity) {
        const std::size_t capacity = g_capacity ? g_capacity * 2 : 1024;
        void** grown = static_cast<void**>(std::realloc(g_graveyard, capacity * sizeof(void*)));
        if (!grown) {
            std::free(p);
            return;
        }
        g_graveyard = grown;
        g_capacity = capacity;
    }
    std::memset(p, 0xDD, _msize(p));
    g_graveyard[g_count++] = p;
}

void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void Free(void* p) {
    if (!p) return;
    if (g_poisoning) {
        Bury(p);
    } else {
        std::free(p);
    }
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace testsupport {

PoisonFreedMemory::PoisonFreedMemory() {
    g_count = 0;
    g_poisoning = true;
}

PoisonFreedMemory::~PoisonFreedMemory() {
    g_poisoning = false;
    for (std::size_t i = 0; i < g_count; ++i) std::free(g_graveyard[i]);
    g_count = 0;
}

std::size_t PoisonFreedMemory::FreedCount() const { return g_count; }

int PoisonFreedMemory::FreedAt(const void* p) const {
    for (std::size_t i = 0; i < g_count; ++i)
        if (g_graveyard[i] == p) return static_cast<int>(i);
    return -1;
}

}  // namespace testsupport
