// KWinWindowAccess: WindowAccess on KWin. Reads are answered from the mirror of the script's news
// (KWinDesktopState). Requests become commands of the session's next batch: the sending forms
// only queue them; the waiting forms (setFrames, setPositions, focus, iconifyAll, deiconifyAll
// with `settle`) and settle() flush the batch and wait for the script's acknowledgement, whose
// `changed` events have brought the mirror up to date, and then answer from the mirror.
//
// Parking marks live in the KWinParkStore. A mark is taken off only once the commands sent before
// have been carried out and the window is seen shown (not minimised, not in a parking corner), or
// is gone: a restore the script never carried out (it died meanwhile) leaves the mark, so the
// window is put back when the script returns or at Morvanta's next start.
//
// A Wayland window takes a new size only once its program answers KWin, after the batch's
// acknowledgement, which still shows the old frame; its position waits for that answer too. So
// settle() also waits, briefly, for the answer of every window asked for another size: what is
// read next is the size the program chose. (An X11 window's size changes at once, steps rounded
// by KWin.) A request stays outstanding until answered, across settles: a program answers the
// sizes asked of it in order, so a loaded one that answers an earlier request late has not
// answered the later one. A window asked to move that has taken neither its new size nor its
// new position when the wait ends has not answered at all (a refusal still moves it): its
// program is slow, or KWin dropped the request (it does, now and then, for a window that has
// just appeared and is placed by KWin after the request). Its frame is asked once more, and
// framesAnswered() says it is still to answer, so no minimum size is learned from where it was.
//
// focusNothing has the script leave KWin without an active window (a `deactivate` command): a
// window parked in a screen corner must not keep the keyboard. KWin moves the activation away
// from a window it minimises itself.
#pragma once

#include "ax/kwin/kwin_desktop_state.h"
#include "ax/kwin/kwin_park_store.h"
#include "ax/kwin/kwin_session.h"
#include "ax/window_access.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace morvanta {

class KWinWindowAccess final : public WindowAccess,
                               public std::enable_shared_from_this<KWinWindowAccess> {
public:
    KWinWindowAccess(KWinDesktopState& state, KWinSession& session, KWinParkStore& store)
        : state_(state), session_(session), store_(store) {}

    // A handle on a window of the mirror.
    AXWindow handle(const KWinDesktopState::Window& window);

    // Called after the marks changed (a mark decides whether a minimised window counts as
    // minimised).
    std::function<void()> onMarksChanged;

    // Takes off the marks of windows released from parking that are now seen shown; the window
    // system calls it after every change of the mirror. A window missing from the mirror then
    // keeps its mark (a script that reloads reports removals; only a hello proves it gone), and
    // loses it right after its commands were carried out (`goneCounts`).
    void recheckMarks(bool goneCounts = false);

    // The user took hold of the window: where it goes is the user's, and no request of
    // Morvanta's is waited for or asked again.
    void userMoves(const std::string& internalId) { resizes_.erase(internalId); }

    // The rules enumeration shares with the single reads.
    static bool isStandard(const KWinWindowRecord& record);
    bool isMinimizedByUser(const KWinWindowRecord& record) const;

    std::string title(const AXWindow& window) override;
    std::string appName(const AXWindow& window) override;
    std::optional<std::string> bundleIdentifier(const AXWindow& window) override;

    bool isStandard(const AXWindow& window) override;
    std::optional<bool> isMinimized(const AXWindow& window) override;
    std::optional<bool> isFullScreen(const AXWindow& window) override;

    void raise(const AXWindow& window) override;
    FocusResult focus(const AXWindow& window) override;
    void focusNothing() override;

    std::vector<std::optional<Rect>> frames(const std::vector<AXWindow>& windows) override;
    std::vector<bool> setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) override;
    std::vector<std::optional<Size>> sizeIncrements(const std::vector<AXWindow>& windows) override;

    std::vector<std::pair<AXWindow, Rect>> markedWindows() override;
    void setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) override;
    void setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) override;
    void clearParkMarks(const std::vector<AXWindow>& windows) override;
    std::vector<std::optional<Rect>> parkMarks(const std::vector<AXWindow>& windows) override;
    std::vector<bool> iconifyAll(const std::vector<AXWindow>& windows) override;
    void deiconifyAll(const std::vector<AXWindow>& windows, bool settle) override;
    std::vector<bool> isIconifiedAll(const std::vector<AXWindow>& windows) override;

    void sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) override;
    void sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets) override;
    void sendFocus(const AXWindow& window) override;
    void settle() override;
    std::vector<bool> framesAnswered(const std::vector<AXWindow>& windows) override;
    // The script reports no news of the windows of a batch until it acknowledges it, so a check
    // may wait a turn of the run loop: what a command sends after its layout (the activation of
    // the window to focus) then rides in the same batch.
    bool readsBackAtOnce() const override { return false; }

private:
    const KWinWindowRecord* recordOf(const AXWindow& window) const;
    // Queues a command for a window of the mirror; false (nothing queued) for any other.
    bool command(const AXWindow& window, KWinCommand::Op op, Rect frame = {}, bool on = false);
    // Takes off the marks of these windows once each is gone or seen shown (a Wayland window
    // shows when its program answers, after the batch): now, or on a later change of it.
    void dropMarksOfShown(const std::vector<std::string>& internalIds);
    // Waits for the programs' answers to the sizes asked of their windows (see above).
    void awaitResizes();

    // How long settle() waits for programs to answer new sizes.
    static constexpr std::chrono::milliseconds resizeAnswerLimit{500};
    // At most this many earlier requests are remembered per window.
    static constexpr std::size_t maxEarlier = 8;

    // The frames asked of a window whose program has not answered yet.
    struct Resize {
        Rect asked;                // the last frame asked
        Point from;                // where the window stood when it was asked
        Size before;               // its size before the oldest request not answered
        std::vector<Size> earlier; // sizes asked before `asked`, not answered, oldest first
        bool fresh = true;         // asked since the last settle, which waits for it
        bool askedAgain = false;   // sent once more after a wait it did not answer in
        bool behind = false;       // answered an earlier request since `asked` went
    };
    // Whether the window has answered its last request, reading where it stands now; an
    // answer to an earlier request takes that request (and older ones) off.
    static bool isAnswered(Resize& resize, const Rect& frame);
    // After a wait: whether the window is still to answer (`lagging`: others of the wait
    // evidently are); the frame of one that did not even move is asked once more. Answered
    // windows, and gone ones, are done with.
    bool stillToAnswer(const std::string& id, Resize& resize, bool lagging);
    // Whether the window has evidently not answered its last request: it is still answering
    // earlier ones, or has not taken the position asked.
    static bool isBehind(const Resize& resize, const Rect& frame);
    static bool atPosition(const Rect& frame, const Rect& asked);
    // Whether the last request moved the window and it stands at the position asked.
    static bool movedAsAsked(const Resize& resize, const Rect& frame);

    KWinDesktopState& state_;
    KWinSession& session_;
    KWinParkStore& store_;
    std::map<std::string, Resize> resizes_; // by internalId, until answered
    // Windows whose marks go as soon as they show; a new mark takes a window out.
    std::set<std::string> unmarkWhenShown_;
};

} // namespace morvanta
