#pragma once

#include <du/Export.h>
#include <du/StandIn.h>

#include <map>
#include <string>

SXHOST_HEADER_BEGIN

namespace du {

// Looks up message texts in named catalogs. A key that the catalog does not hold (or a catalog
// that is not registered) localises to the key itself.
class SXHOST_API Localizer {
public:
    explicit Localizer(const char* catalog);

    std::string LocalizeMessage(const char* key, int actionOnFailure) const;

    // Registers (or replaces) a catalog. The host registers its built-in catalogs at load.
    SXHOST_STANDIN_ONLY static void RegisterCatalog(
        const std::string& name, const std::map<std::string, std::string>& texts);

private:
    std::string catalog;
};

}  // namespace du

SXHOST_HEADER_END
