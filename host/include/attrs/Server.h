#pragma once

#include <attrs/FillAttr.h>
