// WindowAccess: what a window system answers about windows, and the requests it carries out.
// AXWindow forwards every operation here, so the X11 backend and the in-memory fake each
// implement this once. Frames, size steps, minimising and parking marks come in batches, so a
// backend can send every request first and read the replies afterwards; a backend implements
// only the batches, and the single-window forms are plain wrappers over them. The parking
// primitives are used by WindowParker only.
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

    virtual void raise(const AXWindow& window) = 0;
    virtual FocusResult focus(const AXWindow& window) = 0;
    // Takes the keyboard from every other program's window, so that nothing typed goes to a
    // window about to be hidden; global shortcuts keep working. Not waited for, except that a
    // backend may wait for a window manager to have taken note before the next requests go.
    virtual void focusNothing() = 0;

    // Frames and size steps, one answer per window in the order given. Setting a frame sets
    // the size, then the position, then the size again (a window system that sets position and
    // size together does it in one step); each answer tells whether the window took the frame.
    virtual std::vector<std::optional<Rect>> frames(const std::vector<AXWindow>& windows) = 0;
    virtual std::vector<bool> setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) = 0;
    virtual std::vector<std::optional<Size>>
    sizeIncrements(const std::vector<AXWindow>& windows) = 0;

    std::optional<Rect> frame(const AXWindow& window);
    bool setFrame(const AXWindow& window, const Rect& frame);
    std::optional<Size> sizeIncrement(const AXWindow& window);

    // Parking primitives. A mark is Morvanta's own note on the window holding the frame it had
    // before it was parked; it outlives this process, so a later run can put the window back.
    // Every window that carries a mark now, with the frame in it.
    virtual std::vector<std::pair<AXWindow, Rect>> markedWindows() = 0;

    // Parking batches, one entry per window in the order given. A backend sends every request
    // first and waits once: one wait for the window manager per batch, never one per window.
    // Writes are not checked (a window that vanished is skipped); read the frames afterwards.
    virtual void setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) = 0;
    virtual void setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) = 0;
    virtual void clearParkMarks(const std::vector<AXWindow>& windows) = 0;
    virtual std::vector<std::optional<Rect>> parkMarks(const std::vector<AXWindow>& windows) = 0;
    // Minimises through the window manager; whether each window is minimised once the window
    // manager has handled the requests.
    virtual std::vector<bool> iconifyAll(const std::vector<AXWindow>& windows) = 0;
    // Un-minimises through the window manager; one that animates restoring then costs one
    // wait, not one per window. With `settle`, returns once the windows have stopped moving, so
    // frames set afterwards hold; without it, returns once the window manager has taken the
    // requests (frames set before stay: set a window's frame first, then show it).
    virtual void deiconifyAll(const std::vector<AXWindow>& windows, bool settle) = 0;
    // The raw minimised state, parking marks ignored.
    virtual std::vector<bool> isIconifiedAll(const std::vector<AXWindow>& windows) = 0;

    // One window each. setPosition and setParkMark answer whether the window is still there
    // afterwards (with its mark); deiconify whether it is there and no longer minimised.
    bool setPosition(const AXWindow& window, const Point& origin);
    bool setParkMark(const AXWindow& window, const Rect& savedFrame);
    void clearParkMark(const AXWindow& window);
    std::optional<Rect> parkMark(const AXWindow& window);
    bool iconify(const AXWindow& window);
    bool deiconify(const AXWindow& window);
    bool isIconified(const AXWindow& window);

    // Sending: these send their requests and report nothing (a vanished window is skipped). A
    // command sends everything this way, and its checks read back afterwards, after settle().
    // They do not wait for the requests to be carried out, only for what a request needs
    // first: a frame request needs the window's decorations, which a backend may have to ask
    // for (one batch of reads for all the windows, before any request goes out), and a backend
    // may wait for a window manager to have handled a focus request before the next requests
    // go. The defaults call the waiting forms, for a backend that carries out every request at
    // once.
    virtual void sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets);
    virtual void sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets);
    virtual void sendFocus(const AXWindow& window);
    // Sends the reads of frames() and answers at once; the default reads them right away.
    virtual std::unique_ptr<FrameQuery> queryFrames(const std::vector<AXWindow>& windows);
    // Waits until everything sent so far has been carried out, by a window manager too.
    virtual void settle() {}
    // Whether each window has answered the last frame asked of it, after settle(): a window
    // whose program has not answered yet stands where it was, which says nothing about the
    // sizes it accepts. A backend whose windows take frames at once answers true for all.
    virtual std::vector<bool> framesAnswered(const std::vector<AXWindow>& windows) {
        return std::vector<bool>(windows.size(), true);
    }
    // Whether the reads after an apply are best made at once rather than a turn of the run loop
    // later: a window manager that animates minimising and restoring is best read back before
    // the next event is handled, and a backend that answers them from its own record of the
    // requests it sent makes them cost nothing (what follows them, the border, then goes out
    // with the apply's own requests).
    virtual bool readsBackAtOnce() const { return false; }
};

} // namespace morvanta
