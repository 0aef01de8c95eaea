#include <du/Localizer.h>

#include <memory>
#include <mutex>

namespace du {

namespace {

using Catalog = std::map<std::string, std::string>;

struct Catalogs {
    std::mutex mutex;
    std::map<std::string, Catalog> byName;
};

// Built-in catalogs: the texts of every message key the markup library uses.
void RegisterBuiltIns(std::map<std::string, Catalog>& byName) {
    byName["sxplugins/harborstartup:harborAppStrings"] = {
        {"MoveExtentionDragger", "Move Extension"},
        {"MoveJogDragger", "Move Jog"},
        {"MoveEndPointDragger", "Move End Point"},
    };
    byName["sxbase:sxmodulesStrings"] = {
        {"97", "Move Markups"},
        {"99", "Move Callout"},
    };
}

// Never destroyed, like the symbol table: other libraries may localise during their own static
// destruction.
Catalogs& AllCatalogs() {
    // An allocation failing while the built-ins are registered leaves nothing behind; the next
    // call tries again.
    static Catalogs* catalogs = [] {
        auto c = std::make_unique<Catalogs>();
        RegisterBuiltIns(c->byName);
        return c.release();
    }();
    return *catalogs;
}

}  // namespace

Localizer::Localizer(const char* catalogName) : catalog(catalogName ? catalogName : "") {}

std::string Localizer::LocalizeMessage(const char* key, int /*actionOnFailure*/) const {
    std::string k = key ? key : "";
    Catalogs& all = AllCatalogs();
    std::lock_guard<std::mutex> lock(all.mutex);
    const auto c = all.byName.find(catalog);
    if (c == all.byName.end())
        return k;
    const auto t = c->second.find(k);
    return t == c->second.end() ? k : t->second;
}

void Localizer::RegisterCatalog(const std::string& name,
                                const std::map<std::string, std::string>& texts) {
    Catalogs& all = AllCatalogs();
    std::lock_guard<std::mutex> lock(all.mutex);
    all.byName[name] = texts;
}

}  // namespace du
