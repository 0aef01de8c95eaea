// The global allocation functions of a test program in the Windows build whose host DLL has a
// heap of its own (ILLSXMK_HOST_PRIVATE_HEAP): the program plays the viewer, so what it allocates
// comes from the host's heap, counted as CountingHeap.h counts.
#define ILLSXMK_DEFINE_ALLOCATION_FUNCTIONS
#include "CountingHeap.h"
