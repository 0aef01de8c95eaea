#pragma once

#include <dg/Location.h>
#include <du/Export.h>
#include <du/StandIn.h>
#include <sxk/Markup.h>
#include <sxk/View.h>

SXHOST_HEADER_BEGIN

namespace sxmk {

// A markup of the markup base library: it can be selected, translated and shadowed per view.
class SXHOST_API Markup : public sxk::Markup {
public:
    SXHOST_STANDIN_ONLY Markup();
    ~Markup() override;

    void OnSetSelected(bool selected) override;
    void OnRemovedFromHolder() override;
    void DoPreDrawFixup(const dg::Location& placement) override;
    virtual void Translate(const dg::DVec3& delta, const dg::Location& placement);
    // A new shadow of this markup for the view (reference count 0), or null.
    virtual sxk::Markup* ConstructShadow(const du::SmartPtr<sxk::View>& view);
    virtual sxk::Markup* GetShadow(const du::SmartPtr<sxk::View>& view) const;

    SXHOST_STANDIN_ONLY bool selected = false;
    SXHOST_STANDIN_ONLY int translateCount = 0;
};

}  // namespace sxmk

SXHOST_HEADER_END
