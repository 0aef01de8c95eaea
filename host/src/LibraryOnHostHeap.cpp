// Linked into the library in the heap test build that models one C runtime shared with the
// viewer (ILLSXMK_LIBRARY_ON_HOST_HEAP): the library's global new and delete then allocate from
// the host's heap, as a Visual Studio build of both against the same runtime DLL would.
#include "HostHeapOperators.h"
