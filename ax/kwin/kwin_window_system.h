// KWinWindowSystem: the window-system layer on KDE Plasma, where a KWin script does all window
// work on Morvanta's behalf (docs/kwin-bridge.md). It programs against a KWinChannel only, so
// the session-bus transport and the tests' fake script plug in alike.
//
// News: the script's messages update the mirror as they are read (also while a request waits
// for its acknowledgement); observers, focus trackers and the screen source hear of the changes
// on the next dispatchPending, once per dispatch however many messages it read. Commands queued
// by then go out as one batch at the end of the dispatch.
//
// Trust: Morvanta may control windows once the channel is open and a script instance has said
// hello; openSettings opens Morvanta's help page on what a Plasma session needs.
//
// The mouse: Wayland lets no client watch the pointer, so the user's moves and resizes stand in
// for the left button (started: down; the moved window's frame news: dragged; finished: up),
// delivered to the watching KWinMouseMonitors on the dispatch, before the focus trackers hear
// of the frames. A drag a hello or the window's removal ends without its finish gets its up.
#pragma once

#include "ax/kwin/kwin_channel.h"
#include "ax/kwin/kwin_desktop_state.h"
#include "ax/kwin/kwin_park_store.h"
#include "ax/kwin/kwin_session.h"
#include "ax/mouse_monitor.h"
#include "ax/window_system.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <unistd.h>
#include <vector>

namespace morvanta {

class KWinFocusTracker;
class KWinMouseMonitor;
class KWinWindowAccess;
class KWinWindowObserver;

struct KWinOptions {
    // The parking marks' state file.
    std::filesystem::path stateFile;
    // The process whose windows are Morvanta's own (left out of enumeration and focus reports).
    std::int32_t ownPid = ::getpid();
    // How long a waiting request waits for the script.
    std::chrono::milliseconds requestDeadline{500};
    // Where the backend's lines go (Morvanta's diagnostics log).
    KWinLog log;
    // The clock deadlines are measured on; empty: the steady clock.
    std::function<std::chrono::steady_clock::time_point()> clock;
};

class KWinWindowSystem final : public WindowSystem,
                               public Accessibility,
                               public WindowList,
                               public WindowNumbers,
                               public ScreenSource {
public:
    static constexpr const char* helpAddress = "https://morvanta.org/help/kwin-session";

    KWinWindowSystem(KWinChannel& channel, KWinOptions options);
    ~KWinWindowSystem() override;
    KWinWindowSystem(const KWinWindowSystem&) = delete;
    KWinWindowSystem& operator=(const KWinWindowSystem&) = delete;

    // A handle on the window with this internalId; none when the mirror does not hold it.
    std::optional<AXWindow> handle(const std::string& internalId);
    const KWinDesktopState& state() const { return state_; }
    bool stalled() const { return session_.stalled(); }

    Accessibility& accessibility() override { return *this; }
    WindowList& windowList() override { return *this; }
    WindowNumbers& windowNumbers() override { return *this; }
    ScreenSource& screenSource() override { return *this; }
    WindowAccess& windowAccess() override;
    std::unique_ptr<WindowObserver> makeWindowObserver() override;
    std::unique_ptr<FocusTracker> makeFocusTracker() override;
    int eventDescriptor() const override { return session_.descriptor(); }
    void dispatchPending() override;

    bool checkTrust(bool prompt) override;
    void openSettings() override;

    std::vector<AXWindow> all() override;
    std::optional<AXWindow> focused() override;

    std::optional<std::uint32_t> number(const AXWindow& window, const Rect& frame) override;
    std::optional<Rect> bounds(std::uint32_t number) override;

    std::vector<Screen> screens() override { return state_.axScreens(); }

    // The observers and trackers of this system enter and leave here while started.
    void addObserver(KWinWindowObserver* observer);
    void removeObserver(KWinWindowObserver* observer);
    void addTracker(KWinFocusTracker* tracker);
    void removeTracker(KWinFocusTracker* tracker);
    // The active window as a focus tracker reports it: none for this process's own windows.
    std::optional<AXWindow> trackedFocus();
    // Every monitor of this system, from its construction to its destruction.
    void addMouse(KWinMouseMonitor* monitor);
    void removeMouse(KWinMouseMonitor* monitor);

    // For the devices of Morvanta's own windows (the border, window placement): a command for
    // the session's next batch, the process the script knows Morvanta's windows by, and how many
    // hellos came so far (a new script instance knows nothing of what the last one was told).
    void queueCommand(KWinCommand command) { session_.queue(std::move(command)); }
    std::int32_t ownPid() const { return ownPid_; }
    std::uint64_t hellos() const { return hellos_; }
    // The pointer as the script last reported it (during the user's moves); else the centre of
    // the window the user moved last; none before either.
    std::optional<Point> pointer() const;

private:
    // What decides whether a window is enumerated; its change is news for the observers.
    struct Listing {
        bool standard = false;
        bool minimised = false;
        bool fullScreen = false;
        bool operator==(const Listing&) const = default;
    };

    void apply(std::span<const KWinEvent> events);
    void applyHello(const KWinHello& hello);
    // The mouse events the user's moves stand for, noted before the mirror applies `event`.
    void noteMouse(const KWinEvent& event);
    void queueMouse(MouseEvent event);
    // Marks of windows the hello does not list, matched to a window new to Morvanta.
    std::vector<std::pair<std::string, std::string>>
    marksFoundAnew(const KWinHello& hello, const std::set<std::string>& newIds) const;
    // Compares the mirror with what was last told and notes the news.
    void noteChanges();
    void deliverNews();
    void tell(const std::string& line) const {
        if (log_)
            log_(line);
    }

    std::int32_t ownPid_;
    KWinLog log_;
    KWinParkStore store_;
    KWinDesktopState state_;
    KWinSession session_;
    std::shared_ptr<KWinWindowAccess> access_;

    std::vector<KWinWindowObserver*> observers_;
    std::vector<KWinFocusTracker*> trackers_;
    std::vector<KWinMouseMonitor*> mice_;
    std::vector<MouseEvent> mouseNews_;
    std::optional<std::string> held_; // the window whose move holds the button down
    std::optional<Point> cursor_;
    std::optional<std::string> lastMoved_;
    std::uint64_t hellos_ = 0;
    std::map<std::uint32_t, Listing> listing_;
    std::optional<std::uint32_t> toldActive_;
    Rect toldActiveFrame_;
    bool windowsNews_ = false;
    bool focusNews_ = false;
    bool focusMovedNews_ = false;
    bool screensNews_ = false;
};

} // namespace morvanta
