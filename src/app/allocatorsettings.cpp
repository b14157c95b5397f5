#include "app/allocatorsettings.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace AllocatorSettings {

bool applyForWindows()
{
#if defined(__GLIBC__)
    // Setting either one also stops glibc from moving them by itself.
    return ::mallopt(M_MMAP_THRESHOLD, int(kLargestHeapBuffer)) == 1
        && ::mallopt(M_TRIM_THRESHOLD, int(kKeptFreeTop)) == 1;
#else
    return false;
#endif
}

} // namespace AllocatorSettings
