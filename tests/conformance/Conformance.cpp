// What the library relies on from the viewer's SDK at run time, checked in this process with the
// names the viewer's contract gives and the spellings of the library's adapter header only (this
// file compiles with the library's flags, which refuse everything else). The viewer team runs it
// first after building against their SDK; see docs/integration.md.
#include "Runner.h"

#include <ViewerAdapter.h>
#include <attrs/Server.h>
#include <dg/Location.h>
#include <dg/Matrix.h>
#include <dg/Ray.h>
#include <dg/Vector.h>
#include <du/Localizer.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/MemoryPoolAllocated.h>
#include <sxmu/ModelContainer.h>
#include <sxmu/ModelLineStrip.h>
#include <sxmu/ModelSphere.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using conformance::Check;
using conformance::Fail;
using conformance::Hold;
using conformance::Report;
using conformance::Result;
using conformance::ViewerOnly;
namespace detail = sxmk::detail;

constexpr double kTolerance = 1e-9;
constexpr double kPi = 3.14159265358979323846;

std::string Text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::string Text(const dg::DPoint3D& p) {
    return "(" + Text(p.x) + ", " + Text(p.y) + ", " + Text(p.z) + ")";
}

std::string Text(const dg::DVec3& v) {
    return "(" + Text(v.x) + ", " + Text(v.y) + ", " + Text(v.z) + ")";
}

dg::DPoint3D Point(double x, double y, double z) {
    dg::DPoint3D p;
    p.Set(x, y, z);
    return p;
}

dg::DVec3 Vector(double x, double y, double z) {
    dg::DVec3 v;
    v.Set(x, y, z);
    return v;
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= kTolerance * (1.0 + std::fabs(b));
}

bool Near(const dg::DPoint3D& p, const dg::DPoint3D& q) {
    return Near(p.x, q.x) && Near(p.y, q.y) && Near(p.z, q.z);
}

// What a counted object of the suite's own went through. It lives outside the object, so a check
// can read it whatever the SDK did to the object (deleted it early included).
struct Observed {
    bool deleted = false;
    bool allowDelete = true;
    int hookCalls = 0;
    // The hook takes and drops a reference of its own; a nested hook call or a deletion during
    // that means the hook ran without the reference restored.
    bool probeInHook = false;
    bool nestedHook = false;
    bool deletedInHook = false;
    bool inHook = false;
};

class Counted : public du::RefCounted {
public:
    explicit Counted(Observed& observedBy) : observed(observedBy) {}
    ~Counted() override {
        observed.deleted = true;
        if (observed.inHook)
            observed.deletedInHook = true;
    }

    bool ZeroReferenceCountHook() override {
        if (observed.inHook) {
            observed.nestedHook = true;
            return false;
        }
        ++observed.hookCalls;
        if (observed.probeInHook) {
            observed.inHook = true;
            AddReference();
            RemoveReference();
            observed.inHook = false;
        }
        return observed.allowDelete;
    }

    du::SmartPtr<Counted> child;

private:
    Observed& observed;
};

// Frees an object that a check left alive: lets its hook agree, and releases the references that
// remain (known to the check).
void Free(Counted* object, Observed& observed, int references) {
    observed.allowDelete = true;
    observed.probeInHook = false;
    for (int i = 0; i < references && !observed.deleted; ++i)
        object->RemoveReference();
}

Result LastReleaseAsksTheHook() {
    Observed seen;
    auto* object = new Counted(seen);
    object->AddReference();
    object->AddReference();
    object->RemoveReference();
    if (seen.deleted)
        return Fail("a release that left one reference deleted the object");
    if (seen.hookCalls != 0)
        return Fail("a release that left one reference asked ZeroReferenceCountHook");
    object->RemoveReference();
    if (seen.hookCalls != 1)
        return Fail("the release that reached zero asked ZeroReferenceCountHook " +
                    std::to_string(seen.hookCalls) +
                    " times; the library needs it asked once before the object goes");
    if (!seen.deleted)
        return Fail("the hook agreed but the object was not deleted");
    return Hold();
}

Result HookRunsWithTheReferenceRestored() {
    Observed seen;
    seen.probeInHook = true;
    auto* object = new Counted(seen);
    object->AddReference();
    object->RemoveReference();
    if (seen.hookCalls == 0)
        return Fail("ZeroReferenceCountHook was never asked");
    if (seen.deletedInHook || seen.nestedHook)
        return Fail(
            "a reference taken and dropped inside ZeroReferenceCountHook reached zero "
            "again: the release must re-add the reference before it asks the hook");
    if (!seen.deleted)
        return Fail("the hook agreed but the object was not deleted");
    return Hold();
}

Result RefusingHookKeepsTheObject() {
    Observed seen;
    seen.allowDelete = false;
    auto* object = new Counted(seen);
    object->AddReference();
    object->RemoveReference();
    if (seen.deleted)
        return Fail(
            "the object was deleted although ZeroReferenceCountHook answered false "
            "(or was not asked: " +
            std::to_string(seen.hookCalls) + " calls)");
    // It keeps one reference: the next release reaches zero and asks again.
    seen.allowDelete = true;
    object->RemoveReference();
    if (seen.hookCalls != 2 || !seen.deleted) {
        const bool alive = !seen.deleted;
        if (alive)
            Free(object, seen, 1);
        return Fail(
            "after a refusing hook, a second release did not ask the hook again and delete"
            " (hook calls " +
            std::to_string(seen.hookCalls) + ", deleted " + (alive ? "no" : "yes") +
            "): the object must keep exactly one reference");
    }
    return Hold();
}

// The pointer checks below watch the release protocol through a refusing hook; without that
// protocol they would free objects they go on to use, so they are not run.
bool RefusingHookWorks() {
    Observed seen;
    seen.allowDelete = false;
    auto* object = new Counted(seen);
    object->AddReference();
    object->RemoveReference();
    if (seen.deleted)
        return false;
    Free(object, seen, 1);
    return seen.hookCalls >= 1 && seen.deleted;
}

const char* const kNeedsReleaseProtocol =
    "not checked: it observes the order through ZeroReferenceCountHook, and the release "
    "protocol does not hold (see the refcount checks)";

Result AssignmentReferencesTheNewObjectFirst() {
    if (!RefusingHookWorks())
        return Fail(kNeedsReleaseProtocol);
    // The old object holds the only other reference to the new one, as when a pointer moves to a
    // child of the object it held. The child's hook refuses, so a wrong order is seen (the child
    // reaches zero during the assignment) rather than felt (the child freed and used).
    Observed parentSeen, childSeen;
    childSeen.allowDelete = false;
    du::SmartPtr<Counted> p(new Counted(parentSeen));
    Counted* child = new Counted(childSeen);
    p->child = child;
    p = p->child;
    const bool parentGone = parentSeen.deleted;
    const int childReachedZero = childSeen.hookCalls;
    if (childReachedZero != 0)
        child->RemoveReference();  // the refusal left a reference too many
    detail::Reset(p);
    Free(child, childSeen, 1);
    if (childReachedZero != 0)
        return Fail(
            "assigning a counted pointer released the old object before it referenced "
            "the new one: an object owned only by the old one would be freed and then "
            "used");
    if (!parentGone)
        return Fail("the old object was not released by the assignment");
    if (!childSeen.deleted)
        return Fail("the new object was not released when the pointer let go of it");
    return Hold();
}

Result SelfAssignmentKeepsTheObject() {
    if (!RefusingHookWorks())
        return Fail(kNeedsReleaseProtocol);
    Observed seen;
    seen.allowDelete = false;
    auto* object = new Counted(seen);
    du::SmartPtr<Counted> p(object);
    du::SmartPtr<Counted>& alias = p;
    p = alias;
    const int afterCopy = seen.hookCalls;
    p = detail::Raw(p);
    const int afterRaw = seen.hookCalls;
    // Each release to zero that a refusing hook stopped left one reference too many.
    for (int i = 0; i < afterRaw; ++i)
        object->RemoveReference();
    detail::Reset(p);
    Free(object, seen, 1);
    if (afterCopy != 0)
        return Fail(
            "assigning a counted pointer to itself released its only reference first "
            "(the object would be freed)");
    if (afterRaw != 0)
        return Fail(
            "assigning a counted pointer the object it holds released its only "
            "reference first (the object would be freed)");
    if (!seen.deleted)
        return Fail("after self-assignment, releasing the pointer did not free the object");
    return Hold();
}

Result SymbolFromText() {
    const du::Symbol a("illsxmk.conformance.a");
    const du::Symbol b(std::string("illsxmk.conformance.a").c_str());
    const du::Symbol c("illsxmk.conformance.c");
    if (!(a == b))
        return Fail("two symbols made from equal texts are not ==");
    if (a == c)
        return Fail("symbols made from different texts are ==");
    return Hold();
}

Result SymbolCopy() {
    const du::Symbol a("illsxmk.conformance.copy");
    const du::Symbol copy(a);
    du::Symbol assigned("illsxmk.conformance.other");
    assigned = a;
    if (!(copy == a) || !(assigned == a))
        return Fail("a copied or assigned symbol is not == to its original");
    return Hold();
}

Result SymbolEmpty() {
    const du::Symbol empty("");
    const du::Symbol named("illsxmk.conformance.named");
    if (!(empty == du::Symbol::EMPTY))
        return Fail("the symbol of the empty text is not == du::Symbol::EMPTY");
    if (named == du::Symbol::EMPTY)
        return Fail("a named symbol is == du::Symbol::EMPTY");
    return Hold();
}

Result Message(const char* catalog, const char* key) {
    const std::string text = du::Localizer(catalog).LocalizeMessage(key, 0);
    if (text.empty())
        return Fail(std::string("no text for \"") + key +
                    "\": the library names its undoable drag operation by it");
    if (text == key)
        return Report(std::string("the catalog gave the key itself back, \"") + key +
                      "\" (the operation is named by the key)");
    return {Result::Holds, "\"" + text + "\""};
}

Result VectorSet() {
    dg::DVec3 v;
    v.Set(1.5, -2.0, 4.25);
    dg::DPoint3D p;
    p.Set(-1.0, 0.5, 8.0);
    if (v.x != 1.5 || v.y != -2.0 || v.z != 4.25)
        return Fail("DVec3::Set gave " + Text(v));
    if (p.x != -1.0 || p.y != 0.5 || p.z != 8.0)
        return Fail("DPoint3D::Set gave " + Text(p));
    return Hold();
}

Result VectorAdd() {
    dg::DVec3 v = Vector(1.0, 2.0, 3.0);
    v += Vector(0.5, -4.0, 10.0);
    if (v.x != 1.5 || v.y != -2.0 || v.z != 13.0)
        return Fail("DVec3 += gave " + Text(v) + ", not (1.5, -2, 13)");
    dg::DPoint3D p = Point(1.0, 1.0, 1.0);
    p += Vector(2.0, -3.0, 0.25);
    if (p.x != 3.0 || p.y != -2.0 || p.z != 1.25)
        return Fail("DPoint3D += DVec3 gave " + Text(p) + ", not (3, -2, 1.25)");
    return Hold();
}

Result VectorNorm() {
    const double n = Vector(3.0, -4.0, 12.0).Norm();
    if (!Near(n, 13.0))
        return Fail("Norm of (3, -4, 12) is " + Text(n) + ", not 13 (the Euclidean length)");
    return Hold();
}

Result VectorNormalize() {
    dg::DVec3 v = Vector(0.0, -3.0, 4.0);
    v.Normalize();
    if (!Near(v.x, 0.0) || !Near(v.y, -0.6) || !Near(v.z, 0.8))
        return Fail("Normalize of (0, -3, 4) gave " + Text(v) + ", not (0, -0.6, 0.8)");
    return Hold();
}

Result NormalizeOfZero() {
    dg::DVec3 v;
    v.Set(0.0, 0.0, 0.0);
    v.Normalize();
    if (v.x == 0.0 && v.y == 0.0 && v.z == 0.0)
        return Report("a zero vector stays zero");
    if (std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z))
        return Report("a zero vector becomes not-a-number");
    return Report("a zero vector becomes " + Text(v) + " (the library never hands Normalize one)");
}

Result LocationTransformsPoints() {
    // The contract builds a rotation from the identity only; the position follows it.
    const dg::Location placed(dg::FMat33::IDENTITY, Point(1.0, -2.0, 3.0));
    dg::DMat44 xform;
    placed.GetXform(xform);
    const dg::DPoint3D moved = Point(4.0, 5.0, -6.0) * xform;
    if (!Near(moved, Point(5.0, 3.0, -3.0)))
        return Fail("(4, 5, -6) times the transform of a placement at (1, -2, 3) is " +
                    Text(moved) + ", not (5, 3, -3)");
    dg::Location relocated;
    relocated.SetPos(Point(-1.0, 0.0, 2.0));
    relocated.GetXform(xform);
    dg::DPoint3D p = Point(1.0, 1.0, 1.0);
    p *= xform;
    if (!Near(p, Point(0.0, 1.0, 3.0)))
        return Fail("after SetPos(-1, 0, 2), (1, 1, 1) *= the transform gave " + Text(p));
    dg::Location identity;
    identity.GetXform(xform);
    if (!Near(Point(7.0, 8.0, 9.0) * xform, Point(7.0, 8.0, 9.0)))
        return Fail("a default location does not leave points where they are");
    return Hold();
}

Result TransformInverts() {
    const dg::Location placed(dg::FMat33::IDENTITY, Point(2.5, -1.0, 4.0));
    dg::DMat44 xform;
    placed.GetXform(xform);
    dg::DMat44 inverse = xform;
    if (!inverse.Invert())
        return Fail("Invert refused the transform of a placement");
    const dg::DPoint3D p = Point(1.0, 2.0, 3.0);
    const dg::DPoint3D back = (p * xform) * inverse;
    if (!Near(back, p))
        return Fail("a point moved by a transform and its inverse lands at " + Text(back) +
                    ", not where it started " + Text(p));
    return Hold();
}

Result DistanceOfPoints() {
    const double d = dg::Distance(Point(1.0, 2.0, 3.0), Point(4.0, 6.0, 15.0));
    if (!Near(d, 13.0))
        return Fail("Distance of (1, 2, 3) and (4, 6, 15) is " + Text(d) + ", not 13");
    return Hold();
}

Result AngleInRadians() {
    const double right = dg::Angle(Vector(2.0, 0.0, 0.0), Vector(0.0, 3.0, 0.0));
    const double opposite = dg::Angle(Vector(1.0, 1.0, 0.0), Vector(-2.0, -2.0, 0.0));
    const double same = dg::Angle(Vector(0.0, 0.0, 5.0), Vector(0.0, 0.0, 1.0));
    if (!(std::fabs(right - kPi / 2.0) < 1e-12))
        return Fail("Angle of perpendicular vectors is " + Text(right) +
                    ", not pi/2: the library needs radians");
    // The library takes directions as opposite when the angle is this close to pi.
    if (!(std::fabs(opposite - kPi) < 4.76837158203125e-07))
        return Fail("Angle of opposite vectors is " + Text(opposite) +
                    ", not pi: the library tells opposite directions by it");
    if (!Near(same, 0.0))
        return Fail("Angle of parallel vectors is " + Text(same) + ", not 0");
    return Hold();
}

Result RayLirp() {
    const dg::DRay ray = detail::MakeRay(Point(1.0, 0.0, -1.0), Vector(0.0, 2.0, 4.0));
    const dg::DPoint3D at = ray.Lirp(2.5);
    if (!Near(at, Point(1.0, 5.0, 9.0)))
        return Fail("Lirp(2.5) of the ray from (1, 0, -1) along (0, 2, 4) is " + Text(at) +
                    ", not origin + t * direction = (1, 5, 9)");
    if (!Near(ray.Lirp(0.0), Point(1.0, 0.0, -1.0)))
        return Fail("Lirp(0) is not the ray's origin");
    return Hold();
}

Result RayNearestPoint() {
    const dg::DRay ray = detail::MakeRay(Point(0.0, 1.0, 0.0), Vector(3.0, 0.0, 0.0));
    const dg::DPoint3D foot = ray.NearestPoint(Point(6.0, 5.0, -2.0));
    if (!Near(foot, Point(6.0, 1.0, 0.0)))
        return Fail("NearestPoint of (6, 5, -2) on the ray from (0, 1, 0) along (3, 0, 0) is " +
                    Text(foot) + ", not its foot (6, 1, 0)");
    return Hold();
}

Result LineStripPoints() {
    du::SmartPtr<sxmu::ModelLineStrip> line(new sxmu::ModelLineStrip(8));
    line->AppendPoint(Point(0.0, 0.0, 0.0));
    line->AppendPoint(Point(1.0, 2.0, 3.0));
    line->AppendPoint(Point(-4.0, 5.0, 6.0));
    if (line->points.size() != 3)
        return Fail("three AppendPoint calls gave " + std::to_string(line->points.size()) +
                    " points");
    if (!Near(line->points[1], Point(1.0, 2.0, 3.0)) ||
        !Near(line->points[2], Point(-4.0, 5.0, 6.0)))
        return Fail("a line strip's points are not the appended points in order");
    return Hold();
}

// A display node of the suite's own, to see when the viewer's side frees it.
class WatchedSphere : public sxmu::ModelSphere {
public:
    explicit WatchedSphere(bool& deletedFlag) : deleted(deletedFlag) {}
    ~WatchedSphere() override { deleted = true; }

private:
    bool& deleted;
};

Result ContainerAddHeadAndRemove() {
    // The flags outlive the container: a node it keeps is freed with it, also on a failure.
    bool deleted = false;
    bool secondDeleted = false;
    du::SmartPtr<sxmu::ModelContainer> root(new sxmu::ModelContainer);
    {
        du::SmartPtr<WatchedSphere> node(new WatchedSphere(deleted));
        root->AddHead(detail::Upcast<sxmu::ModelBase>(node));
    }
    if (deleted)
        return Fail("AddHead did not keep a reference: the node went when its maker let go");
    // Remove needs the node itself: the library keeps its own reference for that.
    {
        du::SmartPtr<WatchedSphere> node(new WatchedSphere(secondDeleted));
        root->AddHead(detail::Upcast<sxmu::ModelBase>(node));
        root->Remove(detail::Upcast<sxmu::ModelBase>(node));
        if (secondDeleted)
            return Fail("Remove freed a node that its maker still holds");
        detail::Reset(node);
        if (!secondDeleted)
            return Fail(
                "a removed node was not freed when its maker let go: the container "
                "kept a reference");
    }
    detail::Reset(root);
    if (!deleted)
        return Fail("a container freed by its last holder did not release its children");
    return Hold();
}

Result SharedFillEqualsTheAskedOne() {
    attrs::FillAttr asked;
    asked.fillStyle = 2;
    asked.color = dg::Color(0.25f, 0.5f, 0.75f, 1.0f);
    attrs::Server* server = attrs::Server::Instance();
    if (server == nullptr)
        return Fail("attrs::Server::Instance() answered null");
    du::ConstSmartPtr<attrs::FillAttr> shared;
    server->ShareFillAttr(shared, asked);
    const attrs::FillAttr* got = detail::Raw(shared);
    if (got == nullptr)
        return Fail("ShareFillAttr gave no set");
    if (got->fillStyle != asked.fillStyle)
        return Fail("the shared fill's style is " + std::to_string(got->fillStyle) + ", not 2");
    // The colour is a plain value of four floats; compared byte for byte.
    if (std::memcmp(&got->color, &asked.color, sizeof asked.color) != 0)
        return Fail("the shared fill's colour differs from the one asked for");
    detail::Reset(shared);
    return Hold();
}

Result PoolAllocation() {
    constexpr std::size_t size = 96;
    void* block = sxk::MemoryPoolAllocated::operator new(size);
    if (block == nullptr)
        return Report("the pool answered null (allowed: the library then builds nothing)");
    if (reinterpret_cast<std::uintptr_t>(block) % alignof(double) != 0) {
        sxk::MemoryPoolAllocated::operator delete(block, size);
        return Fail("the pool's block is not aligned for a double");
    }
    std::memset(block, 0xA5, size);
    sxk::MemoryPoolAllocated::operator delete(block, size);
    return Hold();
}

Result NodeFreedByTheViewer() {
    // Made here (the library's side of the module boundary), freed inside the SDK's library when
    // the container lets go: both sides must share the heap.
    du::SmartPtr<sxmu::ModelContainer> root(new sxmu::ModelContainer);
    {
        du::SmartPtr<sxmu::ModelLineStrip> line(new sxmu::ModelLineStrip(8));
        line->AppendPoint(Point(1.0, 2.0, 3.0));
        du::SmartPtr<sxmu::ModelSphere> sphere(new sxmu::ModelSphere);
        root->AddHead(detail::Upcast<sxmu::ModelBase>(line));
        root->AddHead(detail::Upcast<sxmu::ModelBase>(sphere));
    }
    detail::Reset(root);
    return Hold();
}

Result AdapterPointerSpellings() {
    Observed seen;
    auto* object = new Counted(seen);
    du::SmartPtr<Counted> p(object);
    du::SmartPtr<Counted> empty;
    if (detail::Raw(p) != object)
        return Fail("Raw does not give the object the pointer holds");
    if (detail::Raw(empty) != nullptr || detail::IsSet(empty))
        return Fail("a default counted pointer is not empty");
    if (!detail::IsSet(p))
        return Fail("IsSet answers false for a pointer that holds an object");
    du::SmartPtr<du::RefCounted> base = detail::Upcast<du::RefCounted>(p);
    if (detail::Raw(base) != static_cast<du::RefCounted*>(object))
        return Fail("Upcast does not point at the same object");
    detail::Reset(p);
    if (seen.deleted)
        return Fail("the up-cast pointer holds no reference of its own");
    if (detail::IsSet(p) || detail::Raw(p) != nullptr)
        return Fail("Reset leaves the pointer set");
    detail::Reset(base);
    if (!seen.deleted)
        return Fail("Reset did not release the object");

    attrs::FillAttr asked;
    du::ConstSmartPtr<attrs::FillAttr> fill;
    attrs::Server::Instance()->ShareFillAttr(fill, asked);
    detail::Reset(fill);
    if (detail::Raw(fill) != nullptr)
        return Fail("Reset of a const counted pointer leaves it set");
    return Hold();
}

Result AdapterViewerSpellingsCompile() {
    // These read what only the viewer hands out (a segment, a shape view, a markup): here they are
    // compiled and linked, and exercised in a running viewer.
    const dg::DPoint3D& (*start)(const dg::Segment<double, 3>&) = &detail::SegmentStart;
    const dg::DPoint3D& (*end)(const dg::Segment<double, 3>&) = &detail::SegmentEnd;
    dg::Camera3D (*camera)(const sxk::ShapeView&) = &detail::CameraOf;
    const dg::Location& (*objectSpace)(const sxk::Markup&) = &detail::ObjectSpaceOf;
    if (start == nullptr || end == nullptr || camera == nullptr || objectSpace == nullptr)
        return Fail("an adapter spelling did not link");
    return Report("SegmentStart, SegmentEnd, CameraOf, ObjectSpaceOf compile; see the checklist");
}

const char* const kHarbor = "sxplugins/harborstartup:harborAppStrings";
const char* const kModules = "sxbase:sxmodulesStrings";

}  // namespace

int main() {
    const std::vector<Check> checks = {
        {"refcount.last-release-asks-hook",
         "a release that reaches zero asks ZeroReferenceCountHook once and deletes when it agrees",
         LastReleaseAsksTheHook},
        {"refcount.hook-with-reference-restored",
         "the hook runs with the reference re-added (a reference taken and dropped in it is safe)",
         HookRunsWithTheReferenceRestored},
        {"refcount.refusing-hook-keeps-object",
         "a hook that answers false keeps the object with one reference; the next release to zero "
         "asks again",
         RefusingHookKeepsTheObject},
        {"smartptr.assign-references-new-first",
         "assigning a counted pointer references the new object before it releases the old",
         AssignmentReferencesTheNewObjectFirst},
        {"smartptr.self-assignment", "assigning a counted pointer what it holds keeps the object",
         SelfAssignmentKeepsTheObject},
        {"symbol.from-text", "du::Symbol from equal texts are ==, from different texts not",
         SymbolFromText},
        {"symbol.copy", "a copied or assigned du::Symbol is == to its original", SymbolCopy},
        {"symbol.empty", "the empty text's symbol is du::Symbol::EMPTY", SymbolEmpty},
        {"message.MoveEndPointDragger", "the end-point drag's operation name has a text",
         [] { return Message(kHarbor, "MoveEndPointDragger"); }},
        {"message.MoveExtentionDragger", "the extension drag's operation name has a text",
         [] { return Message(kHarbor, "MoveExtentionDragger"); }},
        {"message.MoveJogDragger", "the jog drag's operation name has a text",
         [] { return Message(kHarbor, "MoveJogDragger"); }},
        {"message.99", "message 99 of sxbase:sxmodulesStrings has a text",
         [] { return Message(kModules, "99"); }},
        {"message.97", "message 97 of sxbase:sxmodulesStrings has a text",
         [] { return Message(kModules, "97"); }},
        {"vector.set", "DVec3::Set and DPoint3D::Set set x, y, z", VectorSet},
        {"vector.add", "DVec3 += and DPoint3D += DVec3 add componentwise", VectorAdd},
        {"vector.norm", "Norm is the Euclidean length", VectorNorm},
        {"vector.normalize", "Normalize scales a non-zero vector to unit length", VectorNormalize},
        {"vector.normalize-zero", "what Normalize makes of a zero vector (either answer is fine)",
         NormalizeOfZero},
        {"location.transform",
         "a location is a rotation then a position: GetXform, and a point times the transform",
         LocationTransformsPoints},
        {"location.invert", "DMat44::Invert undoes a placement's transform", TransformInverts},
        {"geometry.distance", "Distance is the Euclidean distance of two points", DistanceOfPoints},
        {"geometry.angle", "Angle is in radians: pi/2 perpendicular, pi opposite, 0 parallel",
         AngleInRadians},
        {"ray.lirp", "a ray's Lirp(t) is origin + t * direction (direction at its own length)",
         RayLirp},
        {"ray.nearest-point", "a ray's NearestPoint is the foot of the point on its line",
         RayNearestPoint},
        {"model.line-strip-points", "a line strip's AppendPoint adds to its points, in order",
         LineStripPoints},
        {"model.container-add-remove",
         "a container's AddHead takes a reference and Remove gives it back",
         ContainerAddHeadAndRemove},
        {"attrs.share-fill", "ShareFillAttr gives a shared set equal to the fill asked for",
         SharedFillEqualsTheAskedOne},
        {"pool.allocate-free",
         "the memory pool's operator new gives memory (or null) and "
         "operator delete takes it back",
         PoolAllocation},
        {"model.freed-by-viewer",
         "a display node made on the library's side is freed on the viewer's side (shared heap)",
         NodeFreedByTheViewer},
        {"adapter.pointer-spellings",
         "Raw, IsSet, Reset (counted and const counted pointers) and Upcast behave as the library "
         "reads them",
         AdapterPointerSpellings},
        {"adapter.viewer-spellings",
         "the adapter's segment, camera and placement spellings compile",
         AdapterViewerSpellingsCompile},
    };
    const std::vector<ViewerOnly> needsViewer = {
        {"viewer.pick-on-ui-thread",
         "PickAsync: the viewer keeps the event alive and delivers OnPickComplete once, on the "
         "user-interface thread, with results filled in first"},
        {"viewer.notify-redraws",
         "NotifyContentChanged after SetContent(data, false) makes the viewer redraw the content"},
        {"viewer.controller-undo",
         "HandleShadowStop(markup, shadow, operation) applies the result and makes the operation "
         "undoable (a null operation and a missing controller allowed)"},
        {"viewer.camera-world-to-window",
         "CameraOf(view) gives the view's camera and its worldToWindow projects world points to "
         "the window"},
        {"viewer.object-space",
         "ObjectSpaceOf(markup) is where the markup's object space lies in the world"},
        {"viewer.segment", "SegmentStart and SegmentEnd read the segment the viewer hands over"},
        {"viewer.preselection-colour",
         "the view's default preferences answer GetIntUIAsColor(\"General/Navigation/"
         "preselection_color\", colour, nullptr) consistently, true with a colour or false"},
        {"viewer.drag-protocol",
         "the framework fills the drag fields and calls the drag handlers one at a time on the "
         "user-interface thread"},
        {"viewer.new-shadow-first-reference",
         "a new shadow comes with a count of 0 and the viewer takes the first reference before "
         "any other call"},
    };
    return conformance::RunAll(checks, needsViewer);
}
