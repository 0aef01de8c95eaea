#pragma once

#include <dg/Color.h>
#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/StandIn.h>

#if defined(ILLSXMK_HOST_NODE_ALLOCATION)
#include <cstddef>
#endif

SXHOST_HEADER_BEGIN

namespace sxmu {

// A set of render attributes that a node draws with.
class SXHOST_API RenderAttrsVector : public du::RefCounted {
public:
    RenderAttrsVector() = default;
#if defined(ILLSXMK_HOST_NODE_ALLOCATION)
    // The viewer frees every set into its own heap, so it allocates each one too, whoever
    // creates it.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
#endif

    int mode = 0;
    int renderOption1 = -1;
    dg::Color color;
    int renderSwitch1 = 0;
    int weight = 1;
    int renderSwitch2 = 0;
    int renderOption2 = -1;
    int renderOption3 = -1;
    SXHOST_STANDIN_ONLY int lineType = 0;  // host default, not set by the markup library
};

}  // namespace sxmu

SXHOST_HEADER_END
