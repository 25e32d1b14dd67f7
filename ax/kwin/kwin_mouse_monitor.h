// KWinMouseMonitor: the mouse as far as a KWin session lets Morvanta see it. Wayland gives no
// client the pointer outside its own windows, so the script's news of the user's moves and
// resizes stand in for the left button: a move starting is a press, each frame news of the moved
// window a drag, its end the release (see KWinWindowSystem). That is all the controller watches
// the button for: dragging a window onto another, or resizing one. The pointer's location is the
// one the script sent with that news.
#pragma once

#include "ax/mouse_monitor.h"

namespace morvanta {

class KWinWindowSystem;

class KWinMouseMonitor final : public MouseMonitor {
public:
    // `system` should outlive the monitor; when it goes first, the monitor goes quiet.
    explicit KWinMouseMonitor(KWinWindowSystem& system);
    ~KWinMouseMonitor() override;
    KWinMouseMonitor(const KWinMouseMonitor&) = delete;
    KWinMouseMonitor& operator=(const KWinMouseMonitor&) = delete;

    // Where the pointer was at the user's last move news; the origin before any.
    Point location() override;

    // Called by the system on its dispatch.
    void report(MouseEvent event) { deliver(event); }
    void systemGone() { system_ = nullptr; }

protected:
    // The system hands out events only while some monitor has a listener.
    void setWatching(bool) override {}

private:
    KWinWindowSystem* system_;
};

} // namespace morvanta
