#pragma once

// Fixed heap thresholds for a process that lists tens of thousands of cameras. By default
// the C library raises its thresholds to the largest block freed so far: once a long
// list has grown, every later large block comes from the heap and the memory freed after
// a burst stays with the process. Fixed, large blocks are mapped on their own and return
// to the system when freed, and free memory at the heap's top goes back past 1 MiB.
// Called first thing in main(), before any allocation worth the name.
void TuneHeapForLongLists();
// Gives the pages of freed heap back to the system, wherever in the heap they lie: a
// burst of thousands of replies leaves its datagrams' and parses' blocks free between
// the rows it made. A few milliseconds on a heap of tens of megabytes.
void ReturnFreedHeap();
