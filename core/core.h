// The tiling model in one include: records, layout engine and workspace manager.
// Pure C++: no I/O, no clocks, no window system.
#pragma once

#include "core/direction.h"
#include "core/directional_score.h"
#include "core/display_id.h"
#include "core/geometry.h"
#include "core/layout_kind.h"
#include "core/layout_options.h"
#include "core/layout_planner.h"
#include "core/layout_presets.h"
#include "core/owner_split.h"
#include "core/resize_interpreter.h"
#include "core/results.h"
#include "core/window_id.h"
#include "core/workspace.h"
#include "core/workspace_manager.h"
#include "core/workspace_numbers.h"
