// X11WindowSystem: the window-system layer on an X server, all of it over one shared connection
// (which the focus border can use too). Events: watch eventDescriptor() and call
// dispatchPending() when it is readable.
#pragma once

#include "ax/window_system.h"
#include "ax/x11/x11_accessibility.h"
#include "ax/x11/x11_connection.h"
#include "ax/x11/x11_screen_source.h"
#include "ax/x11/x11_window_access.h"
#include "ax/x11/x11_window_list.h"
#include "ax/x11/x11_window_numbers.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace morvanta {

struct X11Options {
    std::string display; // empty: $DISPLAY
    bool waylandSession = X11Accessibility::environmentIsWaylandSession();
    // The process whose windows are Morvanta's own (left out of enumeration and focus reports).
    pid_t ownPid = getpid();
};

class X11WindowSystem : public WindowSystem {
public:
    // None when the display cannot be opened.
    static std::unique_ptr<X11WindowSystem> open(const X11Options& options = {});

    Accessibility& accessibility() override { return accessibility_; }
    WindowList& windowList() override { return list_; }
    WindowNumbers& windowNumbers() override { return numbers_; }
    ScreenSource& screenSource() override { return screens_; }
    WindowAccess& windowAccess() override { return *access_; }
    std::unique_ptr<WindowObserver> makeWindowObserver() override;
    std::unique_ptr<FocusTracker> makeFocusTracker() override;
    int eventDescriptor() const override { return connection_->descriptor(); }
    void dispatchPending() override { connection_->dispatchPending(); }
    void sendTogether(const std::function<void()>& work) override;

    X11Connection& connection() { return *connection_; }
    std::shared_ptr<X11Connection> sharedConnection() { return connection_; }
    X11WindowAccess& x11Access() { return *access_; }

private:
    X11WindowSystem(std::shared_ptr<X11Connection> connection, const X11Options& options);

    std::shared_ptr<X11Connection> connection_;
    std::shared_ptr<X11WindowAccess> access_;
    pid_t ownPid_;
    X11Accessibility accessibility_;
    X11WindowList list_;
    X11WindowNumbers numbers_;
    X11ScreenSource screens_;
};

} // namespace morvanta
