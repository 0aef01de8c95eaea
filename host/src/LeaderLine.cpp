#include <sxmk/LeaderLine.h>

namespace sxmk {

LeaderLine::LeaderLine() : anchorNode(new sxmu::ModelBase) {}

LeaderLine::~LeaderLine() = default;

}  // namespace sxmk
