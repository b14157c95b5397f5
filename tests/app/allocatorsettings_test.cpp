#include "app/allocatorsettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <malloc.h>
#include <sys/resource.h>

namespace {

constexpr std::size_t kFramePixels = std::size_t(1024) * 768 * 4;
constexpr std::size_t kPage = 4096;

long pageFaultsSoFar()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// What a frame of the composed window asks of the allocator: the window's pixels and the part
// that changed, each in a buffer of its own, written and freed again.
void oneFrame()
{
    for (const std::size_t size : {kFramePixels, kFramePixels * 3 / 4}) {
        auto *buffer = static_cast<volatile char *>(std::malloc(size));
        ASSERT_NE(buffer, nullptr);
        for (std::size_t at = 0; at < size; at += kPage)
            buffer[at] = 1;
        std::free(const_cast<char *>(buffer));
    }
}

long pageFaultsOfFrames()
{
    oneFrame();
    const long before = pageFaultsSoFar();
    for (int frame = 0; frame < 10; ++frame)
        oneFrame();
    return pageFaultsSoFar() - before;
}

} // namespace

TEST(AllocatorSettings, FrameBuffersStayInTheHeapWhateverTheAllocatorWasLeftIn)
{
#ifdef __SANITIZE_ADDRESS__
    // The address sanitizer brings its own allocator, which glibc's settings do not reach.
    GTEST_SKIP() << "glibc's allocator is replaced by the address sanitizer's";
#endif
    // A state the program's history can leave glibc in: the free top of the heap handed back to
    // the system at every free, so that each frame has its pages mapped and zeroed anew.
    ASSERT_EQ(::mallopt(M_TRIM_THRESHOLD, 128 * 1024), 1);
    ASSERT_GT(pageFaultsOfFrames(), 1000);

    ASSERT_TRUE(AllocatorSettings::applyForWindows());
    EXPECT_EQ(pageFaultsOfFrames(), 0);
}
