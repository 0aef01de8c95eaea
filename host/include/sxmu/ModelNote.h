#pragma once

#include <sxmu/Model.h>
