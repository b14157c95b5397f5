#pragma once

#include <cstddef>

// How the C library's allocator treats the big, short-lived buffers of the window's frames. Once
// the preview's browser view is in the main window, Qt composes the window through OpenGL, and
// every frame copies the window's pixels (3 MB at 1024 x 768) and the part that changed into
// buffers of their own and frees them again. Left to itself, glibc decides from what the program
// allocated before whether such a buffer comes from the heap or from pages the kernel maps and
// fills with zeros one by one, and whether freeing it hands the top of the heap back to the
// system, to be faulted in again by the next frame: in that state a key costs some 1,500 page
// faults and 4 ms more. Fixed thresholds keep frame-sized buffers in the heap whatever came before.
namespace AllocatorSettings {

// Buffers up to this size come from the heap: the pixels of a window up to a 4K screen. It is
// also the most glibc accepts for the setting.
inline constexpr std::size_t kLargestHeapBuffer = std::size_t(32) * 1024 * 1024;
// Free memory at the top of the heap is handed back only beyond this: room for a frame's two
// buffers.
inline constexpr std::size_t kKeptFreeTop = 2 * kLargestHeapBuffer;

// Sets both, once, before the first window; false when the C library does not take them.
bool applyForWindows();

} // namespace AllocatorSettings
