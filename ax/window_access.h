// WindowAccess: what a window system answers about single windows. AXWindow forwards every
// operation here, so the X11 backend and the in-memory fake each implement this once.
// The batch operations exist so a backend can send every request first and read the replies
// afterwards; their defaults simply loop. The parking primitives are used by WindowParker only.
// A backend owns its WindowAccess through a std::shared_ptr: handles keep a weak reference, so a
// handle that outlives its backend answers absent results instead of touching freed memory.
#pragma once

#include "ax/ax_window.h"
#include "ax/frame_query.h"
#include "core/geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace morvanta {

class WindowAccess {
public:
    virtual ~WindowAccess() = default;

    virtual std::string title(const AXWindow& window) = 0;
    virtual std::string appName(const AXWindow& window) = 0;
    virtual std::optional<std::string> bundleIdentifier(const AXWindow& window) = 0;
    // Defaults to appName, " — “", title, "”".
    virtual std::string description(const AXWindow& window);

    virtual bool isStandard(const AXWindow& window) = 0;
    virtual std::optional<bool> isMinimized(const AXWindow& window) = 0;
    virtual std::optional<bool> isFullScreen(const AXWindow& window) = 0;

    virtual std::optional<Rect> frame(const AXWindow& window) = 0;
    virtual bool setFrame(const AXWindow& window, const Rect& frame) = 0;
    virtual bool setPosition(const AXWindow& window, const Point& origin) = 0;
    virtual std::optional<Size> sizeIncrement(const AXWindow& window) = 0;
    virtual void raise(const AXWindow& window) = 0;
    virtual FocusResult focus(const AXWindow& window) = 0;
    // Takes the keyboard from every other program's window, so that nothing typed goes to a
    // window about to be hidden; global shortcuts keep working. Not waited for.
    virtual void focusNothing() = 0;

    // Batches: one answer per window, in the order given.
    virtual std::vector<std::optional<Rect>> frames(const std::vector<AXWindow>& windows);
    virtual std::vector<bool> setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets);
    virtual std::vector<std::optional<Size>> sizeIncrements(const std::vector<AXWindow>& windows);

    // Parking primitives. A mark is Morvanta's own note on the window holding the frame it had
    // before it was parked; it outlives this process, so a later run can put the window back.
    virtual bool setParkMark(const AXWindow& window, const Rect& savedFrame) = 0;
    virtual void clearParkMark(const AXWindow& window) = 0;
    virtual std::optional<Rect> parkMark(const AXWindow& window) = 0;
    // Every window that carries a mark now, with the frame in it.
    virtual std::vector<std::pair<AXWindow, Rect>> markedWindows() = 0;
    // Minimises / un-minimises through the window manager; true when the window is in the asked
    // state once the window manager has handled the request.
    virtual bool iconify(const AXWindow& window) = 0;
    virtual bool deiconify(const AXWindow& window) = 0;
    // Un-minimises many windows at once; a window manager that animates restoring then costs one
    // wait, not one per window. With `settle`, returns once the windows have stopped moving, so
    // frames set afterwards hold; without it, returns once the window manager has taken the
    // requests (frames set before stay: set a window's frame first, then show it). Defaults to
    // one deiconify per window.
    virtual void deiconifyAll(const std::vector<AXWindow>& windows, bool settle);
    // The raw minimised state, parking marks ignored.
    virtual bool isIconified(const AXWindow& window) = 0;

    // Parking batches, one entry per window in the order given. A backend sends every request
    // first and waits once: one wait for the window manager per batch, never one per window.
    // Writes are not checked (a window that vanished is skipped); read the frames afterwards.
    virtual void setPositions(const std::vector<std::pair<AXWindow, Point>>& targets);
    virtual void setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks);
    virtual void clearParkMarks(const std::vector<AXWindow>& windows);
    virtual std::vector<std::optional<Rect>> parkMarks(const std::vector<AXWindow>& windows);
    // Whether each window is minimised once the window manager has handled the requests.
    virtual std::vector<bool> iconifyAll(const std::vector<AXWindow>& windows);
    virtual std::vector<bool> isIconifiedAll(const std::vector<AXWindow>& windows);

    // Sending without waiting: these send their requests and return without waiting for the
    // server or a window manager, and report nothing (a vanished window is skipped). A command
    // sends everything this way, and its checks read back afterwards, after settle(). The
    // defaults call the waiting forms, for a backend that carries out every request at once.
    virtual void sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets);
    virtual void sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets);
    virtual void sendFocus(const AXWindow& window);
    // Sends the reads of frames() and answers at once; the default reads them right away.
    virtual std::unique_ptr<FrameQuery> queryFrames(const std::vector<AXWindow>& windows);
    // Waits until everything sent so far has been carried out, by a window manager too.
    virtual void settle() {}
    // Whether a window manager carries out requests too. Such a window manager may animate
    // minimising and restoring, and reads back are then best taken before the next event is
    // handled rather than a turn of the run loop later.
    virtual bool sharesWithWindowManager() const { return false; }
};

} // namespace morvanta
