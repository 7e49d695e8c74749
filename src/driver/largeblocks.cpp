// The programs' allocation: blocks of megabytes laid on huge pages, all others as usual.
#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t hugepage = std::size_t{2} << 20;
// Below two huge pages a block gains little, and rounding it up would waste more.
constexpr std::size_t largeblock = 2 * hugepage;

// A large table's columns and input text take tens of megabytes: on huge pages they fault in
// a few dozen times instead of thousands, which was most of the time spent in the kernel.
void* allocatelarge(std::size_t size) {
  const std::size_t rounded = (size + hugepage - 1) & ~(hugepage - 1);
  void* block = nullptr;
  if (rounded < size || ::posix_memalign(&block, hugepage, rounded) != 0) return nullptr;
  ::madvise(block, rounded, MADV_HUGEPAGE);  // only advice: refused, the block is as usual
  return block;
}

void* allocate(std::size_t size) {
  for (;;) {
    void* block = size >= largeblock ? allocatelarge(size) : std::malloc(size == 0 ? 1 : size);
    if (block) return block;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

}  // namespace

// Every other form of new ends in these; every block, large or not, is released by free.
void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
