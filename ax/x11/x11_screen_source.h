// X11ScreenSource: screens from RandR 1.5 monitors (primary first), or the whole root window
// without them; visible frames less the struts of mapped docks and panels; identities from the
// monitors' EDID, else their names. Two round trips per call.
#pragma once

#include "ax/screen_source.h"
#include "ax/x11/x11_window_access.h"

#include <memory>

namespace morvanta {

class X11ScreenSource : public ScreenSource {
public:
    explicit X11ScreenSource(std::shared_ptr<X11WindowAccess> access);
    ~X11ScreenSource() override;

    std::vector<Screen> screens() override;

private:
    void handle(const xcb_generic_event_t& event);

    std::shared_ptr<X11WindowAccess> access_;
    int handler_ = 0;
};

} // namespace morvanta
