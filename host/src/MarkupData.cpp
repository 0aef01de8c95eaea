#include <sxmk/MarkupData.h>

namespace sxmk {

MarkupData::MarkupData(MarkupShadow* owner) : shadow(owner) {}

MarkupData::~MarkupData() = default;

}  // namespace sxmk
