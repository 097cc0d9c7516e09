#pragma once

#include "xvfb.h"

// The name the no-audio-device test knows the server by.
using XDisplay = Xvfb;
