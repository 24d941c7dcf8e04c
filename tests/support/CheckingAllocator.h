#pragma once

#include <algorithm>
#include <cstddef>
#include <new>

// Every buffer a string gives back passes through deallocate while it is still allocated, so its bytes can be
// read there soundly: each one must be all zero by then. Serves SecretString and std::basic_string alike.
struct CheckingAllocator
{
    using value_type = char;
    template <class U> struct rebind
    {
        using other = CheckingAllocator;
    };

    static inline int allocations = 0;
    static inline int releases = 0;
    static inline int dirtyReleases = 0;

    static void reset() { allocations = releases = dirtyReleases = 0; }

    char* allocate(std::size_t n)
    {
        ++allocations;
        return static_cast<char*>(::operator new(n));
    }
    void deallocate(char* p, std::size_t n)
    {
        ++releases;
        if (std::any_of(p, p + n, [](char c) { return c != '\0'; }))
            ++dirtyReleases;
        ::operator delete(p);
    }
    friend bool operator==(const CheckingAllocator&, const CheckingAllocator&) { return true; }
};
