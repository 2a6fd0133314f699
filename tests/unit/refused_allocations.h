// Shows that a call allocates nothing: while a RefusedAllocations lives,
// every operator new on the creating thread is counted and throws
// std::bad_alloc, as it would where memory has run out. Other threads
// allocate as usual.
#pragma once

class RefusedAllocations {
public:
    RefusedAllocations();
    ~RefusedAllocations();
    RefusedAllocations(const RefusedAllocations&) = delete;
    RefusedAllocations& operator=(const RefusedAllocations&) = delete;

    // The allocations attempted on this thread since construction.
    int Attempts() const;
};
