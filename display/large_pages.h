// Memory for whole pages of pixels. A frame's circles touch a few rows each, all over a page
// of many megabytes: with the usual 4 KiB of memory per address translation nearly every row
// needs a translation of its own, which costs more than the pixels written. Pages are
// therefore asked for in 2 MiB pieces, where the system gives them.
#pragma once

// WASI's <sys/mman.h> is only an emulation, and an error unless asked for: its memory has no
// pages to hint at.
#if __has_include(<sys/mman.h>) && !defined(__wasi__)
#include <sys/mman.h>
#endif

#include <cstddef>
#include <new>

namespace flakemorph {

template <typename T>
class LargePageAllocator {
 public:
  using value_type = T;

  LargePageAllocator() = default;
  template <typename U>
  LargePageAllocator(const LargePageAllocator<U>&) {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T) - kLargePage) throw std::bad_alloc();
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kLargePage) return static_cast<T*>(::operator new(bytes));
    // A whole number of large pages, so that the hint below covers all of them.
    const std::size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
    void* memory = ::operator new(rounded, kAlignment);
#ifdef MADV_HUGEPAGE
    // Only a hint: where the system has no large pages the memory works all the same.
    madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, std::size_t count) {
    if (count * sizeof(T) < kLargePage) {
      ::operator delete(memory);
    } else {
      ::operator delete(memory, kAlignment);
    }
  }

  template <typename U>
  bool operator==(const LargePageAllocator<U>&) const {
    return true;
  }

 private:
  static constexpr std::size_t kLargePage = std::size_t{2} << 20;
  static constexpr std::align_val_t kAlignment{kLargePage};
};

}  // namespace flakemorph
