// X11NewWindowPrefetch: without a window manager, the reads a refresh will make of a window
// that just mapped (its facts, its frame's decorations, its texts and hints) are sent the moment
// its mapping is heard of, while the refresh still waits out its debounce; their answers are taken
// into the memos when anything next asks, by then long arrived, so the refresh that tiles the
// window waits for none of them.
#pragma once

#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_window_facts.h"
#include "ax/x11/x11_window_hints.h"
#include "ax/x11/x11_window_texts.h"

#include <cstdint>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

class X11Connection;

class X11NewWindowPrefetch {
public:
    explicit X11NewWindowPrefetch(X11Connection& connection) : connection_(connection) {}

    // Sends the reads of a window whose news is selected.
    void start(xcb_window_t window);
    // Takes every answer into the memos; waits only for answers not in yet.
    void collect();

private:
    struct Pending {
        xcb_window_t window;
        std::uint64_t factsNews, textsNews, hintsNews;
        X11WindowFactsRequest facts;
        X11FrameRequest frame;
        X11WindowTextsRequest texts;
        X11WindowHintsRequest hints;
    };

    X11Connection& connection_;
    std::vector<Pending> pending_;
};

} // namespace morvanta
