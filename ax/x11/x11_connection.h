// X11Connection: the one connection to the X server that the window-system layer (and later the
// focus border) shares. It owns the xcb connection, the interned atoms and the queue of events that
// arrived while replies were awaited.
//
// Replies are awaited with a deadline, so a stalled server costs at most half a second per
// batch. Errors caused by windows that vanished are ordinary absent replies. Events are handed
// to registered handlers only from dispatchPending; descriptor() becomes readable whenever events
// wait, including events xcb read while a reply was being awaited.
#pragma once

#include "ax/x11/x11_atoms.h"
#include "ax/x11/x11_frame_memo.h"
#include "ax/x11/x11_stacking_memo.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace morvanta {

class X11FactsMemo;
class X11NewWindowPrefetch;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using XReply = std::unique_ptr<T, FreeDeleter>;

class X11Connection {
public:
    using Clock = std::chrono::steady_clock;
    using Deadline = Clock::time_point;
    using Handler = std::function<void(const xcb_generic_event_t&)>;

    // The longest wait for any one batch of replies.
    static constexpr std::chrono::milliseconds replyTimeout{500};

    // Connects to `display` (empty: $DISPLAY); null when no display can be opened.
    static std::shared_ptr<X11Connection> open(const std::string& display);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* raw() const { return c_; }
    xcb_window_t root() const { return screen_->root; }
    const xcb_screen_t& screen() const { return *screen_; }
    xcb_atom_t atom(X11Atom a) const { return atoms_[static_cast<std::size_t>(a)]; }
    bool hasRandr() const { return randrEventBase_ >= 0; }
    int randrEventBase() const { return randrEventBase_; }
    bool broken() const { return xcb_connection_has_error(c_) != 0; }

    Deadline deadline() const { return Clock::now() + replyTimeout; }

    // The reply to one request (checked form), or null on an X error, a broken connection or
    // a passed deadline.
    template <class Reply> XReply<Reply> reply(unsigned sequence, Deadline deadline) {
        return XReply<Reply>(static_cast<Reply*>(waitReply(sequence, deadline)));
    }
    // Whether each checked request without reply went through without an error.
    std::vector<bool> check(const std::vector<xcb_void_cookie_t>& cookies, Deadline deadline);
    // Sends what is buffered. While dispatchPending hands a batch of events to the handlers, or
    // flushes are held, the sending waits until the batch is done (or a reply is awaited): a
    // shortcut's command and the border that follows it go out together instead of one write
    // each.
    // Holds flushes until the matching release; holds nest. News that the held work's own reads
    // brought is handed to the handlers when the last hold ends, in the same turn, rather than
    // by waking the run loop for another. Without a window manager, a held batch longer than
    // the server takes from one client at a time is waited for when the last hold ends: the
    // server carries it out in slices and sends its news after each, and Morvanta would
    // otherwise wake for every slice; the news is then handed over in one pass.
    void holdFlushes() { ++flushesHeld_; }
    void releaseFlushes();
    void flush() {
        if (flushesHeld_ > 0)
            flushDue_ = true;
        else
            xcb_flush(c_);
    }

    xcb_get_property_cookie_t getProperty(xcb_window_t window, X11Atom property, xcb_atom_t type,
                                          std::uint32_t longLength);
    void sendClientMessage(xcb_window_t window, X11Atom type,
                           const std::array<std::uint32_t, 5>& data, xcb_window_t to = 0);

    // The live EWMH window manager's check window; the root when a window manager runs that
    // names no live check window; none when no window manager runs. Cached; forgotten when the
    // root's check or supported property changes or the check window goes.
    std::optional<xcb_window_t> windowManager();
    // Whether the running window manager lists `atom` in _NET_SUPPORTED.
    bool windowManagerSupports(X11Atom atom);
    // Returns once the window manager has handled every request sent before (bounded wait). With
    // no window manager the X server handles requests in order and nothing needs waiting.
    void syncWithWindowManager();

    // The one event mask Morvanta keeps on other clients' windows (the observer, the focus
    // tracker and the parker all rely on it): property, structure and focus changes.
    void selectClientEvents(xcb_window_t window);
    // Whether Morvanta's own connection created the window.
    bool ownsWindow(xcb_window_t window) const;
    // Drops queued events that `unwanted` matches (news of Morvanta's own changes).
    void discardQueued(const std::function<bool(const xcb_generic_event_t&)>& unwanted);

    // Without a window manager nobody records in which order top-level windows appeared; the
    // connection notes the first mapping of each root child it hears of. None for windows mapped
    // before this connection opened.
    std::optional<std::uint64_t> mappingRank(xcb_window_t window) const;

    // The process id a window is handed out with. One first handed out without any keeps none
    // while it lives: some programs (xclock) set _NET_WM_PID only after mapping, and the same
    // window must not turn into another one once its id is read.
    std::int32_t handedPid(xcb_window_t window, std::int32_t pid);

    // Whether the event changes the monitors or the space docks leave free on them.
    bool reshapesScreens(const xcb_generic_event_t& event) const;
    // Counts the events read so far that may change the screens: RandR changes, the root's
    // geometry and work area, root children mapping, unmapping or going (docks among them), and
    // strut changes. Equal counts mean screens read in between still hold.
    std::uint64_t screenGeneration() const { return screenGeneration_; }
    // Windows that reserve screen space (the screen source tells after each reading): only
    // their unmapping or destruction changes the screens. A window that maps instead is put
    // aside for the screen source to ask about its struts (takeMappedSinceScreens).
    void setStrutHolders(std::set<xcb_window_t> windows) { strutHolders_ = std::move(windows); }
    std::vector<xcb_window_t> takeMappedSinceScreens() { return std::exchange(mappedSince_, {}); }
    // The focused top-level window as last read, with its process id. It holds
    // until news that may move the focus is read or Morvanta asks for a focus change; the
    // focus news that only confirms it (the window gaining the focus, another losing it) keeps
    // it, so a switch's own focus change costs one read, not one per event.
    struct FocusMemo {
        xcb_window_t window = XCB_NONE; // none: nothing is focused
        std::int32_t pid = 0;
    };
    const std::optional<FocusMemo>& focusMemo() const { return focusMemo_; }
    // Without a window manager the focus news reaches this connection only from windows it
    // selected: whoever selects every top-level window (the focus tracker) says so here, and
    // only then is the memo trusted. A window manager's active window is always heard of.
    void setFocusNewsHeard(bool heard) {
        focusNewsHeard_ = heard;
        forgetFocus();
    }
    bool focusNewsHeard() const { return focusNewsHeard_; }
    // Without a window manager, with every top-level window's focus news selected: every focus
    // change is then heard of.
    bool hearsAllFocusNews() const;
    // Remembers a read made while generation() was `generation`: a read that news overtook is
    // not remembered.
    void rememberFocus(FocusMemo memo, std::uint64_t generation);
    std::uint64_t focusGeneration() const { return focusGeneration_; }
    // Morvanta asks for a focus change. Without a window manager, where the server carries it
    // out as asked, the window asked for (known to be shown) is remembered at once; its focus
    // news, or its unmapping, corrects that should the request fail.
    void noteFocusRequest(std::optional<FocusMemo> expected = std::nullopt) {
        forgetFocus();
        if (expected && hearsAllFocusNews())
            focusMemo_ = expected;
    }

    // The root's children's geometry as the news told it (see X11FrameMemo). It is current once
    // sync() has returned: the news of everything the server did before has then arrived.
    X11FrameMemo& frameMemo() { return frameMemo_; }
    // The root's children bottom to top, kept from the news (see X11StackingMemo).
    X11StackingMemo& stackingMemo() { return stackingMemo_; }
    // The facts of watched windows as last read and not changed since (see X11FactsMemo).
    X11FactsMemo& factsMemo() { return *factsMemo_; }
    // Takes the answers of the reads sent when windows mapped into the memos (see
    // X11NewWindowPrefetch); whoever reads facts, frames or texts calls this first.
    void collectPrefetched();
    // One round trip that brings in the news of every request sent before it, skipped when
    // nothing was sent since the last one (news the server already sent is still read).
    void sync();
    // Reads, without waiting, whatever the server has already sent.
    void readAvailable();

    // Round trips made so far: waits for a reply to a request sent after the previous wait began.
    long roundTrips() const { return roundTrips_; }

    int descriptor() const { return epoll_; }
    int addHandler(Handler handler);
    void removeHandler(int id);
    // Called once after each batch dispatchPending hands to the handlers: work that many events
    // of one batch ask for (following the focus, say) is done there once instead of per event.
    int addBatchEndHandler(std::function<void()> handler);
    void removeBatchEndHandler(int id);
    void dispatchPending();
    // While handlers are given an event: whether it moved the remembered focus. Focus news that
    // only confirms it (the window Morvanta itself focused announcing the focus) did not, and
    // needs no following.
    bool handingOverFocusChange() const { return handingOverFocusChange_; }

private:
    // The window named by the root's check property when it names itself; selected for its end.
    std::optional<xcb_window_t> liveCheckWindow(const xcb_get_property_reply_t* check);
    X11Connection();
    bool setUp();
    void* waitReply(unsigned sequence, Deadline deadline);
    void noteRoundTrip(unsigned sequence);
    // Reads whatever the server sent; false when nothing came before the deadline.
    bool readSome(Deadline deadline);
    // Waits until the socket has bytes to read; false when the deadline passed first.
    bool waitReadable(Deadline deadline);
    void enqueue(xcb_generic_event_t* event);
    void drainQueued();
    void signalIfPending();
    // Notes what the event changes in the memos; answers whether it moved the remembered focus.
    bool observe(const xcb_generic_event_t& event);
    bool mayChangeScreens(const xcb_generic_event_t& event) const;
    bool mayChangeFocus(const xcb_generic_event_t& event) const;
    void learnFocus(const xcb_generic_event_t& event);
    void dispatchBatch();
    // Whether focus news on the root (the focus reaching or leaving nothing) is a change.
    bool rootFocusMoved(const xcb_focus_in_event_t& event) const;
    void forgetFocus() {
        ++focusGeneration_;
        focusMemo_.reset();
    }

    xcb_connection_t* c_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
    std::array<xcb_atom_t, static_cast<std::size_t>(X11Atom::count)> atoms_{};
    int randrEventBase_ = -1;
    int epoll_ = -1;
    int wake_ = -1;
    // The wake-up descriptor is written once until dispatchPending reads it: one pending
    // signal already wakes the run loop, and a batch of replies would otherwise write it once
    // per reply.
    bool wakeSignalled_ = false;
    // News was read while flushes were held outside a dispatch: it is handed over when the last
    // hold ends.
    bool handOverDue_ = false;
    bool dispatching_ = false;

    struct QueuedEvent {
        XReply<xcb_generic_event_t> event;
        bool movedFocus = false; // as observe() judged it when the event was read
    };
    std::deque<QueuedEvent> queue_;
    bool handingOverFocusChange_ = false;
    std::map<int, Handler> handlers_;
    std::map<int, std::function<void()>> batchEndHandlers_;
    int nextHandler_ = 1;

    long roundTrips_ = 0;
    // The latest request the server had handled when it sent news that has been read.
    unsigned heardThrough_ = 0;
    std::uint64_t screenGeneration_ = 0;
    std::uint64_t focusGeneration_ = 0;
    std::set<xcb_window_t> strutHolders_;
    std::vector<xcb_window_t> mappedSince_;
    static constexpr std::size_t maxMappedSinceScreens = 256;
    std::optional<FocusMemo> focusMemo_;
    int flushesHeld_ = 0;
    bool flushDue_ = false;
    bool focusNewsHeard_ = false;
    X11FrameMemo frameMemo_;
    X11StackingMemo stackingMemo_;
    std::unique_ptr<X11FactsMemo> factsMemo_;
    std::unique_ptr<X11NewWindowPrefetch> prefetch_;
    // The no-operation request sent right after the last sync's answer: when the next one
    // follows it directly, nothing was sent in between.
    unsigned quietAfterSync_ = 0;
    unsigned roundTripMark_ = 0;

    std::unordered_map<xcb_window_t, std::uint64_t> mappingRanks_;
    std::unordered_set<xcb_window_t> handedWithoutPid_;
    std::uint64_t nextMappingRank_ = 1;

    bool wmKnown_ = false;
    std::optional<xcb_window_t> wm_;
    bool wmStandIn_ = false; // wm_ is the root standing in while a successor may take over
    // When the last window manager's check window went: a restart (--replace) leaves a moment
    // with none, and windows are not to be read as unmanaged in it.
    std::optional<Clock::time_point> wmLostAt_;
    std::vector<xcb_atom_t> wmSupported_;
};

} // namespace morvanta
