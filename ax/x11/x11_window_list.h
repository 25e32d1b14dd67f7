// X11WindowList: enumeration of the tileable top-level windows and the focused window on X11.
// An enumeration costs two round trips however many windows exist: the root's lists first, then
// every window's properties at once.
#pragma once

#include "ax/window_list.h"
#include "ax/x11/x11_window_access.h"
#include "ax/x11/x11_window_facts.h"

#include <memory>
#include <sys/types.h>

namespace morvanta {

class X11WindowList : public WindowList {
public:
    X11WindowList(std::shared_ptr<X11WindowAccess> access, pid_t ownPid)
        : access_(std::move(access)), ownPid_(ownPid) {}

    std::vector<AXWindow> all() override;
    // The focused window; read from the server only when focus news arrived since the last
    // read or Morvanta asked for a focus change.
    std::optional<AXWindow> focused() override;

    // The top-level (frame) window holding `window`: the root's child it descends from.
    static std::optional<xcb_window_t> topLevelOf(X11Connection& x, xcb_window_t window);

private:
    // What holds the keyboard: an application's top-level window, nothing, or (`own`) one of
    // Morvanta's windows, which announces losing the focus and so can be remembered. `nowhere`:
    // the server names no window at all (None, PointerRoot or the root).
    struct FocusReading {
        std::optional<AXWindow> window;
        xcb_window_t own = XCB_NONE;
        bool nowhere = false;
    };
    FocusReading readFocused();
    // Without a window manager: the focused window's facts when the news already tells them.
    std::optional<FocusReading> rememberedFocusFacts(xcb_window_t window);
    // Where the windows enumerated come from: a window manager's client list, the last such
    // list checked again while no list can be trusted, or the root's children with none.
    enum class Source { clientList, lastClientList, rootChildren };
    std::vector<AXWindow> enumerate(const std::vector<xcb_window_t>& mappingOrder,
                                    const std::vector<xcb_window_t>& stacking, Source source);
    std::vector<AXWindow> lastClientsStillShown();
    // The application windows among the root's children (bottom to top), oldest first.
    std::vector<AXWindow> rootChildren(std::vector<xcb_window_t> children);
    // The facts of each window, in order; with `mayRemember`, those the connection remembers
    // unchanged are not asked for again.
    std::vector<X11WindowFacts> readFacts(const std::vector<xcb_window_t>& windows,
                                          bool mayRemember);
    bool onCurrentDesktop(const X11WindowFacts& facts) const;

    std::shared_ptr<X11WindowAccess> access_;
    pid_t ownPid_;
    std::optional<std::uint32_t> currentDesktop_; // as read by the last enumeration
    std::vector<AXWindow> lastManaged_; // the last list read from a window manager's lists
};

} // namespace morvanta
