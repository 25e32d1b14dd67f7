// WindowSystem: everything the controller needs from a desktop, behind one object. The X11
// backend and the in-memory fake desktop both implement it, so the same controller code runs on
// either. The window system outlives every object it hands out.
//
// Event delivery: a backend with a real event source exposes a file descriptor that becomes
// readable when events wait; the run loop watches it and calls dispatchPending, which calls the
// observers', trackers' and screen source's callbacks. A backend without one answers -1 and
// calls the callbacks synchronously.
#pragma once

#include "ax/accessibility.h"
#include "ax/focus_tracker.h"
#include "ax/screen_source.h"
#include "ax/window_access.h"
#include "ax/window_list.h"
#include "ax/window_numbers.h"
#include "ax/window_observer.h"

#include <functional>
#include <memory>

namespace morvanta {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual Accessibility& accessibility() = 0;
    virtual WindowList& windowList() = 0;
    virtual WindowNumbers& windowNumbers() = 0;
    virtual ScreenSource& screenSource() = 0;
    // The batch reads and writes, and the parking primitives; AXWindow forwards to the same.
    virtual WindowAccess& windowAccess() = 0;

    virtual std::unique_ptr<WindowObserver> makeWindowObserver() = 0;
    virtual std::unique_ptr<FocusTracker> makeFocusTracker() = 0;

    // Readable while events wait to be dispatched; -1 when events are delivered synchronously.
    virtual int eventDescriptor() const = 0;
    // Delivers every event that has arrived; never blocks.
    virtual void dispatchPending() = 0;
    // Runs `work` (a key press's command, say) with the requests it makes sent together: a
    // backend may hold them until `work` ends or a reply is awaited, so one write carries them.
    virtual void sendTogether(const std::function<void()>& work) { work(); }
};

} // namespace morvanta
