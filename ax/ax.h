// The window-system layer in one include: the interfaces the controller uses.
#pragma once

#include "ax/accessibility.h"
#include "ax/ax_window.h"
#include "ax/focus_tracker.h"
#include "ax/screen.h"
#include "ax/screen_geometry.h"
#include "ax/screen_source.h"
#include "ax/window_access.h"
#include "ax/window_list.h"
#include "ax/window_numbers.h"
#include "ax/window_observer.h"
#include "ax/window_parker.h"
#include "ax/window_system.h"
