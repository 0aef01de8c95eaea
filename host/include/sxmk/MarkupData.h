#pragma once

#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <sxmu/Model.h>

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

private:
    MarkupShadow* shadow;  // not counted: the shadow owns its content
    du::SmartPtr<sxmu::ModelBase> modelBase;
};

}  // namespace sxmk

SXHOST_HEADER_END
