#pragma once
// The running settings live beside the settings table; the main window includes them from here.
#include "core/noxsettings.h"
