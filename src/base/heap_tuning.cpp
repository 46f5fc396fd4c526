#include "base/heap_tuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void TuneHeapForLongLists()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024);
#endif
}

void ReturnFreedHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
