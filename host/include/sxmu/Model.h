#pragma once

#include <attrs/FillAttr.h>
#include <dg/Location.h>
#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <sxmu/RenderAttrsVector.h>

#include <string>
#include <vector>

SXHOST_HEADER_BEGIN

namespace sxmu {

// A display-model node. Its position is the position of its location.
class SXHOST_API ModelBase : public du::RefCounted {
public:
    SXHOST_STANDIN_ONLY ModelBase() = default;
    ModelBase(const ModelBase&) = delete;
    ModelBase& operator=(const ModelBase&) = delete;
    ~ModelBase() override;
#if defined(ILLSXMK_HOST_NODE_ALLOCATION)
    // The viewer frees every node into its own heap, so it allocates each one too, whoever
    // creates it.
    static void* operator new(std::size_t size);
    static void operator delete(void* p) noexcept;
#endif

    void SetRenderAttrsVector(const du::SmartPtr<RenderAttrsVector>& attrs);
    SXHOST_STANDIN_ONLY const du::SmartPtr<RenderAttrsVector>& GetRenderAttrsVector() const {
        return renderAttrs;
    }
    // Selects one of the host's predefined render attribute sets.
    void SetRenderAttrsByIndex(int index);

    dg::Location location;
    bool screenSized = false;
    dg::DVec3 screenScale{1.0, 1.0, 1.0};
    int screenSizeOption1 = -1;
    int screenSizeOption2 = -1;

    SXHOST_STANDIN_ONLY du::SmartPtr<RenderAttrsVector> renderAttrs;
    SXHOST_STANDIN_ONLY int renderAttrsIndex = -1;
};

// A group node; its children are drawn with it, head first.
class SXHOST_API ModelContainer : public ModelBase {
public:
    ModelContainer() = default;

    // Puts the node at the head. A node already held is added again (the container keeps
    // duplicates, as the viewer's does).
    void AddHead(const du::SmartPtr<ModelBase>& node);
    // Removes the first occurrence of the node; false when it is not a child.
    bool Remove(const du::SmartPtr<ModelBase>& node);
    SXHOST_STANDIN_ONLY bool Contains(const ModelBase* node) const;

    // Removals of a node that was not a child, in any container, since the process started.
    // The viewer's container would complain about each: tests expect none.
    SXHOST_STANDIN_ONLY static long AbsentRemovals();

    SXHOST_STANDIN_ONLY const std::vector<du::SmartPtr<ModelBase>>& GetChildren() const {
        return children;
    }

private:
    std::vector<du::SmartPtr<ModelBase>> children;
};

// A polyline through its vertices.
class SXHOST_API ModelLineStrip : public ModelBase {
public:
    explicit ModelLineStrip(int kind);

    void AppendPoint(const dg::DPoint3D& p) { points.push_back(p); }

    SXHOST_STANDIN_ONLY int kind;
    std::vector<dg::DPoint3D> points;
};

// An arrowhead drawn at the end of a leader line, in its own coordinates along +X.
class SXHOST_API ModelArrowhead : public ModelBase {
public:
    ModelArrowhead() = default;

    void AppendPoint(const dg::DPoint3D& p) { points.push_back(p); }
    void SetFillAttrs(const du::ConstSmartPtr<attrs::FillAttr>& fill) { fillAttrs = fill; }

    SXHOST_STANDIN_ONLY std::vector<dg::DPoint3D> points;
    SXHOST_STANDIN_ONLY du::ConstSmartPtr<attrs::FillAttr> fillAttrs;
};

// A leader line with an optional arrowhead at its last vertex.
class SXHOST_API ModelLeaderLine : public ModelBase {
public:
    ModelLeaderLine() = default;

    void AppendPoint(const dg::DPoint3D& p) { points.push_back(p); }
    void SetArrowHead(const du::SmartPtr<ModelArrowhead>& head) { arrowHead = head; }
    du::SmartPtr<ModelArrowhead> GetArrowHead() const { return arrowHead; }

    std::vector<dg::DPoint3D> points;
    int leaderStyle = 0;
    SXHOST_STANDIN_ONLY du::SmartPtr<ModelArrowhead> arrowHead;
};

// A sphere of the given radius around its position.
class SXHOST_API ModelSphere : public ModelBase {
public:
    ModelSphere() = default;

    void SetFillAttrs(const du::ConstSmartPtr<attrs::FillAttr>& fill) { fillAttrs = fill; }

    double radius = 1.0;
    SXHOST_STANDIN_ONLY du::ConstSmartPtr<attrs::FillAttr> fillAttrs;
};

// A text note.
class SXHOST_API ModelNote : public ModelBase {
public:
    enum MinimumSize {
        MinimumSizeNone SXHOST_STANDIN_ONLY = 0,
        MinimumSizeSmall SXHOST_STANDIN_ONLY,
        MinimumSizeMedium SXHOST_STANDIN_ONLY,
        MinimumSizeLarge SXHOST_STANDIN_ONLY
    };

    SXHOST_STANDIN_ONLY ModelNote() = default;
    SXHOST_STANDIN_ONLY explicit ModelNote(const std::string& noteText) : text(noteText) {}

    MinimumSize minimumSize = MinimumSizeNone;
    SXHOST_STANDIN_ONLY std::string text;
};

// Shows a label's notes and drags them as one: drawn at the notes plus dragDisplacement.
class SXHOST_API ModelNoteDragger : public ModelBase {
public:
    ModelNoteDragger(const du::SmartPtr<ModelNote>& note,
                     const du::SmartPtr<ModelNote>& descriptionNote,
                     const du::SmartPtr<ModelNote>& titleNote);

    // Drops the displacement: the dragger shows at its notes again.
    void ResetLocation();

    SXHOST_STANDIN_ONLY du::SmartPtr<ModelNote> note;
    SXHOST_STANDIN_ONLY du::SmartPtr<ModelNote> descriptionNote;
    SXHOST_STANDIN_ONLY du::SmartPtr<ModelNote> titleNote;
    dg::DVec3 dragDisplacement;
    SXHOST_STANDIN_ONLY int resetLocationCount = 0;
};

}  // namespace sxmu

SXHOST_HEADER_END
