#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <du/Symbol.h>
#include <sxk/Instance.h>

SXHOST_HEADER_BEGIN

namespace sxk {
namespace illustration {

// A weld joining SBOM instances, known by its ID path.
class SXHOST_STANDIN_ONLY SXHOST_API Weld : public Object {
public:
    SXHOST_STANDIN_ONLY explicit Weld(const du::Symbol& idPath);
    ~Weld() override;

    du::Symbol GetIDPath() const { return idPath; }

private:
    du::Symbol idPath;
};

// The illustration-mode (SBOM) counterpart of an instance.
class SXHOST_API SbomInstance : public Object {
public:
    SXHOST_STANDIN_ONLY explicit SbomInstance(const du::Symbol& idPath);
    ~SbomInstance() override;

    du::Symbol GetIDPath() const { return idPath; }
    // The weld of this instance, or null.
    du::SmartPtr<Weld> GetWeld() const { return weld; }
    SXHOST_STANDIN_ONLY void SetWeld(const du::SmartPtr<Weld>& w) { weld = w; }

private:
    du::Symbol idPath;
    du::SmartPtr<Weld> weld;
};

// The selection of an SBOM instance.
class SXHOST_API SbomInstanceSelectionItem : public SelectionItem {
public:
    // A new item from the pool; null when the pool has no memory.
    static du::SmartPtr<SelectionItem> Create(const du::SmartPtr<SbomInstance>& instance);
    ~SbomInstanceSelectionItem() override;

    SXHOST_STANDIN_ONLY du::SmartPtr<SbomInstance> GetSbomInstance() const { return sbomInstance; }

private:
    explicit SbomInstanceSelectionItem(const du::SmartPtr<SbomInstance>& instance);
    du::SmartPtr<SbomInstance> sbomInstance;
};

}  // namespace illustration
}  // namespace sxk

SXHOST_HEADER_END
