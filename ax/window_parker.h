// WindowParker: hides the windows of workspaces that are not showing and puts them back exactly.
//
// Parking moves a window's top-left corner one point inside the bottom-right corner of a
// screen. Some window managers pull such a window back on screen; the first time a corner park
// does not hold, the parker switches to minimising parked windows for the rest of its life (and
// minimises that window at once), so no window is moved twice on every park. Every parked window
// carries a mark holding its frame from before parking, so a later run can restore windows that
// a crash left parked (restoreMarked). A window minimised by parking still counts as not
// minimised for enumeration.
#pragma once

#include "ax/ax_window.h"
#include "ax/frame_query.h"
#include "ax/screen.h"
#include "ax/screen_source.h"
#include "ax/window_access.h"
#include "core/geometry.h"

#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace morvanta {

class WindowParker {
public:
    WindowParker(ScreenSource& screens, WindowAccess& access)
        : screens_(screens), access_(access) {}

    // A window to park and the screen to park it on (none: the screen holding most of it).
    using ParkRequest = std::pair<AXWindow, std::optional<Screen>>;

    // Parks the window on `screen` (default: the screen holding most of it) and answers its frame
    // as read afterwards. None, and nothing changes, when the window is already parked, its frame
    // cannot be read or there is no screen. A refused move is not detected here; the caller
    // checks the answer with isInParkedPosition.
    std::optional<Rect> park(const AXWindow& window, const std::optional<Screen>& screen = {});
    // Parks many windows as park does, one answer per request in the order given (a window named
    // twice is parked once; the second answer is none). The screens are read once, every frame is
    // read in one batch, the marks go on before any window moves, and minimising, when parking
    // minimises, costs one wait for the window manager for the whole batch.
    std::vector<std::optional<Rect>> parkAll(const std::vector<ParkRequest>& requests);

    // One window of a park batch that was sent: where its answer goes, its frame before and its
    // parking target.
    struct ParkJob {
        std::size_t slot;
        AXWindow window;
        Rect before;
        Point target;
    };
    struct ParkBatch {
        std::vector<ParkRequest> requests;
        std::vector<std::size_t> toPark; // the requests to park (others are parked already)
        std::unique_ptr<FrameQuery> before;
        std::vector<ParkJob> jobs;
        bool minimised = false;                     // sent as minimise requests, already waited for
        std::optional<std::vector<Screen>> screens; // as read while sending, if they were
    };
    // parkAll in three steps, so a caller can send other requests while the frames before are
    // on their way and before the frames after are read back. prepareParking asks for the
    // frames. sendParking takes them, marks the windows and sends the moves without waiting;
    // the windows count as parked from then on. confirmParking waits for the moves, reads the
    // frames and answers as parkAll does; a corner park that did not hold is minimised there.
    // A window restored or forgotten in between is skipped (its answer is none).
    ParkBatch prepareParking(const std::vector<ParkRequest>& requests);
    void sendParking(ParkBatch& batch);
    std::vector<std::optional<Rect>> confirmParking(const ParkBatch& batch);
    // Puts a parked window back at its saved frame and forgets it; nothing for other windows.
    void restore(const AXWindow& window);
    // restore for many windows, with one wait for the window manager for all of them.
    void restoreMany(const std::vector<AXWindow>& windows);
    // Forgets a parked window without moving it. A window that parking minimised is shown again
    // without waiting for the window manager's restore animation, so set its frame first: a
    // frame set during that animation may be lost.
    void forget(const AXWindow& window);
    // forget for many windows at once; windows that are not parked are skipped.
    void forgetAll(const std::vector<AXWindow>& windows);
    // Restores every parked window; afterwards count() is 0.
    void restoreAll();
    // Restores every window that carries a parking mark but is not parked by this parker (left
    // over from an earlier run) at the frame in its mark; answers those windows.
    std::vector<AXWindow> restoreMarked();

    bool isParked(const AXWindow& window) const { return parked_.contains(window); }
    // The frame a parked window had before it was parked; none for other windows.
    std::optional<Rect> savedFrame(const AXWindow& window) const;
    int count() const { return static_cast<int>(parked_.size()); }
    // True once a corner park did not hold and parking minimises windows instead.
    bool minimisesWindows() const { return minimises_; }

    // Whether the window counts as parked at `frame`: its top-left corner in a screen's parked
    // region, or minimised while carrying a parking mark.
    bool isInParkedPosition(const AXWindow& window, const Rect& frame);
    // isInParkedPosition for many windows: the screens read once, the marks and minimised states
    // read in one batch, and only for windows outside the corner regions.
    std::vector<bool> areInParkedPosition(const std::vector<std::pair<AXWindow, Rect>>& frames);

private:
    struct Entry {
        Rect saved;
        bool minimised = false;
    };
    // Puts windows back at their saved frames: minimised ones get their frames, are shown and
    // get them again (window managers may not move a minimised window), then the marks go.
    void putBack(const std::vector<std::pair<AXWindow, Entry>>& entries);

    ScreenSource& screens_;
    WindowAccess& access_;
    std::unordered_map<AXWindow, Entry> parked_;
    bool minimises_ = false;
};

} // namespace morvanta
