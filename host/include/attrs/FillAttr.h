#pragma once

#include <dg/Color.h>
#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace attrs {

// A fill: a style and a colour. Used as a local value to ask the server for a shared copy.
class SXHOST_API FillAttr : public du::RefCounted {
public:
    FillAttr() = default;
    SXHOST_STANDIN_ONLY FillAttr(const FillAttr&) = default;
    SXHOST_STANDIN_ONLY FillAttr& operator=(const FillAttr&) = default;

    SXHOST_STANDIN_ONLY bool operator==(const FillAttr& o) const {
        return fillStyle == o.fillStyle && color == o.color;
    }

    int fillStyle = 1;
    dg::Color color;
};

// Hands out shared fills. This stand-in does not intern: every request gives a new object equal
// to the fill it was given.
class SXHOST_API Server {
public:
    static Server* Instance();

    void ShareFillAttr(du::ConstSmartPtr<FillAttr>& out, const FillAttr& fill);

    SXHOST_STANDIN_ONLY int shareCount = 0;  // requests served, for tests
};

}  // namespace attrs

SXHOST_HEADER_END
