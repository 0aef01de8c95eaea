#include <du/Symbol.h>

#include <mutex>
#include <string>
#include <unordered_set>

namespace du {

namespace {

// The table is never destroyed: symbols made while other libraries are being initialised or torn
// down must stay valid whatever the order of static destruction.
struct SymbolTable {
    std::mutex mutex;
    std::unordered_set<std::string> texts;
};

SymbolTable& Table() {
    static SymbolTable* table = new SymbolTable;
    return *table;
}

const std::string* Intern(const std::string& text) {
    SymbolTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    // Elements of a node-based set keep their address when the set grows.
    return &*table.texts.insert(text).first;
}

}  // namespace

const Symbol Symbol::EMPTY;

Symbol::Symbol() : text(Intern(std::string())) {}

Symbol::Symbol(const char* t) : text(Intern(t ? std::string(t) : std::string())) {}

Symbol::Symbol(const std::string& t) : text(Intern(t)) {}

}  // namespace du
