// Compiled by the interface tests with the flags of one of the library's own sources: the names
// of the viewer's contract compile, and a name that the stand-in keeps for tests and tools must
// not (ILLSXMK_PROBE_STANDIN_NAME adds a use of one).
#include <du/SmartPtr.h>
#include <sxmu/ModelContainer.h>

bool ProbeContainer(sxmu::ModelContainer& container, const du::SmartPtr<sxmu::ModelBase>& node) {
    container.AddHead(node);
#if defined(ILLSXMK_PROBE_STANDIN_NAME)
    if (container.Contains(nullptr))
        return false;
#endif
    return container.Remove(node);
}
