#pragma once

// The virtual key table lives with the platform layer, whose backends translate it.
#include "platform/KeyEncoding.h"
