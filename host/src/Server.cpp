#include <attrs/Server.h>

namespace attrs {

Server* Server::Instance() {
    static Server server;
    return &server;
}

void Server::ShareFillAttr(du::ConstSmartPtr<FillAttr>& out, const FillAttr& fill) {
    out = new FillAttr(fill);
    ++shareCount;
}

}  // namespace attrs
