// X11ScreenSource: screens from RandR 1.5 monitors (primary first), or the whole root window
// without them; visible frames less the struts of mapped docks and panels; identities from the
// monitors' EDID, else their names. A read costs two round trips and is kept until an event that
// may change the screens arrives (see X11Connection::screenGeneration).
#pragma once

#include "ax/screen_source.h"
#include "ax/x11/x11_window_access.h"

#include <memory>
#include <optional>
#include <set>

namespace morvanta {

class X11ScreenSource : public ScreenSource {
public:
    explicit X11ScreenSource(std::shared_ptr<X11WindowAccess> access);
    ~X11ScreenSource() override;

    std::vector<Screen> screens() override;

private:
    void handle(const xcb_generic_event_t& event);
    // Two round trips: the root's facts first, then the monitors' names and EDIDs and the
    // struts of every window that may hold some.
    std::vector<Screen> readScreens();
    // Selects the changes of docks not watched yet; the docks no longer there are forgotten.
    void watchDocks(std::set<xcb_window_t> docks);
    // Whether any of these windows (mapped since the last reading) holds struts: a window that
    // maps may be a dock, and only then are the screens read again.
    bool anyReservesSpace(const std::vector<xcb_window_t>& windows);

    std::shared_ptr<X11WindowAccess> access_;
    int handler_ = 0;
    std::optional<std::vector<Screen>> cached_;
    std::uint64_t cachedGeneration_ = 0;
    // Docks whose changes are selected. A dock seen for the first time was read before its
    // selection reached the server: a change in between would go unheard, so that read is not
    // kept, and the next call reads again.
    std::set<xcb_window_t> watchedDocks_;
    bool readAgain_ = false;
};

} // namespace morvanta
