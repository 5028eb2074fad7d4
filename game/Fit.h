#pragma once
// The fit moved to the picture subsystem; kept here for the code that still includes it.
#include "pictures/Fit.h"
