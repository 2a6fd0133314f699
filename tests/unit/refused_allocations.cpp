// The test binary's own operator new and delete, on malloc and free, with
// the refusal switch of RefusedAllocations. Every form of new and delete the
// library and the tests use is replaced, so that a sanitizer's runtime never
// sees memory from one allocator freed by another.
#include "refused_allocations.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool refusing = false;
thread_local int attempts = 0;

void* Allocate(std::size_t size) {
    if (refusing) {
        ++attempts;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

RefusedAllocations::RefusedAllocations() {
    attempts = 0;
    refusing = true;
}
RefusedAllocations::~RefusedAllocations() { refusing = false; }
int RefusedAllocations::Attempts() const { return attempts; }

void* operator new(std::size_t size) {
    if (void* memory = Allocate(size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
