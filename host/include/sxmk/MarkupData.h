#pragma once

#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <sxmu/Model.h>

#if defined(ILLSXMK_HOST_NODE_ALLOCATION)
#include <cstddef>
#endif

SXHOST_HEADER_BEGIN

namespace sxmk {

class MarkupShadow;

// The drawn content of a shadow: a model node that the viewer draws for it.
class SXHOST_API MarkupData : public du::RefCounted {
public:
    explicit MarkupData(MarkupShadow* shadow);
    ~MarkupData() override;

    void SetModelBase(const du::SmartPtr<sxmu::ModelBase>& node) { modelBase = node; }
    SXHOST_STANDIN_ONLY const du::SmartPtr<sxmu::ModelBase>& GetModelBase() const {
        return modelBase;
    }
    SXHOST_STANDIN_ONLY MarkupShadow* GetShadow() const { return shadow; }
#if defined(ILLSXMK_HOST_NODE_ALLOCATION)
    // The viewer frees every content into its own heap, so it allocates each one too, whoever
    // creates it.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
#endif

private:
    MarkupShadow* shadow;  // not counted: the shadow owns its content
    du::SmartPtr<sxmu::ModelBase> modelBase;
};

}  // namespace sxmk

SXHOST_HEADER_END
