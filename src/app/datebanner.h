#pragma once
// The date banner is a widget of its own; the main window includes it from here.
#include "widgets/datebanner.h"
