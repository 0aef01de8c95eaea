// Translation unit whose class layouts the virtual-table check reads: the public headers, and the
// library's internal pick event.
#include <sxmk/CalloutLabel.h>
#include <sxmk/CalloutLabelShadow.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmk/TranslatorAxis.h>

#include "PickEvent.h"
