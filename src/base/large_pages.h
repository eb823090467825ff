#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

// An allocator for the large arrays of a study's chunk dictionary. An array of
// a few megabytes or more is aligned to, and asks to be backed by, 2 MiB pages:
// filling it then takes a page fault per 2 MiB instead of per 4 KiB, and
// probing it at random misses the address translation cache far less often.
// Smaller arrays come from the ordinary allocator.
template <typename T>
struct LargePageAllocator {
  using value_type = T;
  static constexpr std::size_t kPage = std::size_t{2} << 20;

  LargePageAllocator() = default;
  template <typename U>
  explicit LargePageAllocator(const LargePageAllocator<U>&) {}

  T* allocate(std::size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_array_new_length();
    const std::size_t bytes = n * sizeof(T);
    if (bytes < kPage) return std::allocator<T>{}.allocate(n);
    const std::size_t rounded = (bytes + kPage - 1) / kPage * kPage;
    void* memory = std::aligned_alloc(kPage, rounded);
    if (!memory) throw std::bad_alloc();
    ::madvise(memory, rounded, MADV_HUGEPAGE);  // only a hint: failure is harmless
    return static_cast<T*>(memory);
  }

  void deallocate(T* p, std::size_t n) {
    if (n * sizeof(T) < kPage) {
      std::allocator<T>{}.deallocate(p, n);
    } else {
      std::free(p);
    }
  }

  template <typename U>
  bool operator==(const LargePageAllocator<U>&) const {
    return true;
  }
};
