#include "ax/x11/x11_connection.h"

#include "ax/x11/x11_facts_memo.h"
#include "ax/x11/x11_new_window_prefetch.h"

#include <algorithm>
#include <cstring>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <unordered_set>
#include <xcb/randr.h>
#include <xcb/xcbext.h>

namespace morvanta {

std::shared_ptr<X11Connection> X11Connection::open(const std::string& display) {
    std::shared_ptr<X11Connection> connection(new X11Connection());
    int screenNumber = 0;
    connection->c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection->c_))
        return nullptr;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection->c_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0)
        return nullptr;
    connection->screen_ = it.data;
    if (!connection->setUp())
        return nullptr;
    return connection;
}

X11Connection::X11Connection()
    : factsMemo_(std::make_unique<X11FactsMemo>()),
      prefetch_(std::make_unique<X11NewWindowPrefetch>(*this)) {}

X11Connection::~X11Connection() {
    queue_.clear();
    if (c_) {
        xcb_disconnect(c_);
    }
    if (wake_ >= 0)
        close(wake_);
    if (epoll_ >= 0)
        close(epoll_);
}

bool X11Connection::setUp() {
    const Deadline d = deadline();
    std::array<xcb_intern_atom_cookie_t, static_cast<std::size_t>(X11Atom::count)> cookies{};
    for (std::size_t i = 0; i < cookies.size(); ++i)
        cookies[i] = xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(x11AtomNames[i].size()),
                                     x11AtomNames[i].data());
    xcb_prefetch_extension_data(c_, &xcb_randr_id);
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto r = reply<xcb_intern_atom_reply_t>(cookies[i].sequence, d);
        if (!r)
            return false;
        atoms_[i] = r->atom;
    }
    const auto* randr = xcb_get_extension_data(c_, &xcb_randr_id);
    if (randr && randr->present) {
        auto version = reply<xcb_randr_query_version_reply_t>(
            xcb_randr_query_version(c_, 1, 5).sequence, deadline());
        // Monitors need RandR 1.5.
        if (version && (version->major_version > 1 || version->minor_version >= 5)) {
            randrEventBase_ = randr->first_event;
            xcb_randr_select_input(c_, root(), XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE);
        }
    }

    frameMemo_.begin(root(), atom(X11Atom::_NET_FRAME_EXTENTS));
    stackingMemo_.begin(root());
    std::unordered_set<xcb_atom_t> factsAtoms;
    for (const auto property : X11WindowFactsRequest::properties)
        factsAtoms.insert(atom(property));
    std::unordered_set<xcb_atom_t> textAtoms;
    for (const auto property : X11WindowTextsRequest::properties)
        textAtoms.insert(atom(property));
    std::unordered_set<xcb_atom_t> hintAtoms;
    for (const auto property : X11WindowHintsRequest::properties)
        hintAtoms.insert(atom(property));
    factsMemo_->begin(std::move(factsAtoms), atom(X11Atom::_MORVANTA_PARKED), std::move(textAtoms),
                      std::move(hintAtoms));
    // The root's focus news tells the focus leaving nothing (None, PointerRoot, the root) for
    // any window, or coming back to it.
    const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                                   XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                   XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_change_window_attributes(c_, root(), XCB_CW_EVENT_MASK, &rootMask);

    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    wake_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (epoll_ < 0 || wake_ < 0)
        return false;
    epoll_event xev{};
    xev.events = EPOLLIN;
    xev.data.fd = xcb_get_file_descriptor(c_);
    epoll_event wev{};
    wev.events = EPOLLIN;
    wev.data.fd = wake_;
    if (epoll_ctl(epoll_, EPOLL_CTL_ADD, xev.data.fd, &xev) != 0 ||
        epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &wev) != 0)
        return false;
    flush();
    return !broken();
}

void X11Connection::noteRoundTrip(unsigned sequence) {
    if (static_cast<int>(sequence - roundTripMark_) > 0) {
        ++roundTrips_;
        // Everything sent up to here travels with this wait.
        roundTripMark_ = xcb_no_operation(c_).sequence;
    }
}

bool X11Connection::readSome(Deadline deadline) {
    if (auto* event = xcb_poll_for_event(c_)) {
        enqueue(event);
        return true;
    }
    return waitReadable(deadline);
}

bool X11Connection::waitReadable(Deadline deadline) {
    if (broken())
        return false;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return false;
    pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
    poll(&p, 1, static_cast<int>(std::max<long long>(1, left)));
    return true;
}

void* X11Connection::waitReply(unsigned sequence, Deadline deadline) {
    if (broken())
        return nullptr;
    void* result = nullptr;
    const auto answered = [&] {
        xcb_generic_error_t* error = nullptr;
        const bool done = xcb_poll_for_reply(c_, sequence, &result, &error) != 0;
        std::free(error);
        return done;
    };
    // News the server sent after handling the request came after its reply, which xcb has then
    // read already: a reply asked for ahead of time is taken without a round trip or a wait.
    // What was asked before still goes out, as with every wait (a flush with nothing pending
    // writes nothing).
    if (static_cast<int>(heardThrough_ - sequence) > 0) {
        xcb_flush(c_);
        if (answered()) {
            drainQueued();
            signalIfPending();
            return result;
        }
    }
    noteRoundTrip(sequence);
    xcb_flush(c_);
    // Looking for the reply reads the socket once when it is not in yet; the events that read
    // brought are taken from xcb's queue without reading again, and only then is there a wait.
    while (!answered()) {
        drainQueued();
        if (!waitReadable(deadline)) {
            xcb_discard_reply(c_, sequence);
            result = nullptr;
            break;
        }
    }
    drainQueued();
    signalIfPending();
    return result;
}

std::vector<bool> X11Connection::check(const std::vector<xcb_void_cookie_t>& cookies,
                                       Deadline deadline) {
    std::vector<bool> ok(cookies.size(), false);
    if (cookies.empty())
        return ok;
    // Once a later request is answered, every earlier one has been handled.
    auto sync = reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(c_).sequence, deadline);
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        if (!sync) {
            xcb_discard_reply(c_, cookies[i].sequence);
            continue;
        }
        void* result = nullptr;
        xcb_generic_error_t* error = nullptr;
        const int done = xcb_poll_for_reply(c_, cookies[i].sequence, &result, &error);
        ok[i] = done && !error;
        std::free(result);
        std::free(error);
    }
    return ok;
}

xcb_get_property_cookie_t X11Connection::getProperty(xcb_window_t window, X11Atom property,
                                                     xcb_atom_t type, std::uint32_t longLength) {
    return xcb_get_property(c_, 0, window, atom(property), type, 0, longLength);
}

void X11Connection::sendClientMessage(xcb_window_t window, X11Atom type,
                                      const std::array<std::uint32_t, 5>& data, xcb_window_t to) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(type);
    std::copy(data.begin(), data.end(), event.data.data32);
    char buffer[32] = {};
    std::memcpy(buffer, &event, sizeof(event));
    xcb_send_event(c_, 0, to ? to : root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   buffer);
}

std::optional<xcb_window_t> X11Connection::windowManager() {
    if (wmKnown_)
        return wm_;
    const Deadline d = deadline();
    auto check = getProperty(root(), X11Atom::_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1);
    auto supported = getProperty(root(), X11Atom::_NET_SUPPORTED, XCB_ATOM_ATOM, 4096);
    auto rootAttributes = xcb_get_window_attributes(c_, root());
    auto checkReply = reply<xcb_get_property_reply_t>(check.sequence, d);
    auto supportedReply = reply<xcb_get_property_reply_t>(supported.sequence, d);
    auto attributesReply = reply<xcb_get_window_attributes_reply_t>(rootAttributes.sequence, d);
    if (broken())
        return std::nullopt;
    wmKnown_ = true;
    const bool hadOne = wm_.has_value() && !wmStandIn_;
    wmStandIn_ = false;
    wm_ = liveCheckWindow(checkReply.get());
    // A window manager runs whenever some client redirects the root's children, even one that
    // names no check window (Mutter started with --replace over itself loses it): the root
    // stands in for the check window then.
    if (!wm_ && attributesReply &&
        (attributesReply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT))
        wm_ = root();
    // Right after a window manager went, one starting in its place may not have taken over
    // yet: the root stands in for a while, and every call asks again meanwhile. Gone is also
    // what a handover looks like for a moment (a Mutter replaced by another deletes the new
    // one's check property as it quits, before the new one redirects the root's children).
    constexpr auto restartGrace = std::chrono::seconds(3);
    if (!wm_ && hadOne)
        wmLostAt_ = Clock::now();
    if (!wm_ && wmLostAt_ && Clock::now() - *wmLostAt_ < restartGrace) {
        wm_ = root();
        wmStandIn_ = true;
        wmKnown_ = false;
    }
    wmSupported_.clear();
    if (wm_ && supportedReply && supportedReply->format == 32) {
        const auto* atoms = static_cast<xcb_atom_t*>(xcb_get_property_value(supportedReply.get()));
        wmSupported_.assign(atoms, atoms + xcb_get_property_value_length(supportedReply.get()) / 4);
    }
    return wm_;
}

std::optional<xcb_window_t> X11Connection::liveCheckWindow(const xcb_get_property_reply_t* check) {
    if (!check || check->format != 32 ||
        xcb_get_property_value_length(const_cast<xcb_get_property_reply_t*>(check)) != 4)
        return std::nullopt;
    const auto window = *static_cast<xcb_window_t*>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(check)));
    // The check window must name itself: a stale property from a window manager that quit
    // points at a window that no longer exists.
    auto again = reply<xcb_get_property_reply_t>(
        getProperty(window, X11Atom::_NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1).sequence,
        deadline());
    if (!again || again->format != 32 || xcb_get_property_value_length(again.get()) != 4 ||
        *static_cast<xcb_window_t*>(xcb_get_property_value(again.get())) != window)
        return std::nullopt;
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
    return window;
}

bool X11Connection::windowManagerSupports(X11Atom a) {
    if (!windowManager())
        return false;
    return std::find(wmSupported_.begin(), wmSupported_.end(), atom(a)) != wmSupported_.end();
}

void X11Connection::syncWithWindowManager() {
    if (!windowManager() || broken())
        return;
    const Deadline d = deadline();
    // A window manager handles what reaches it in order: once it has carried out this
    // configure request of an unmapped window made for the purpose (redirected to it, as every
    // top-level configure is), it has handled every earlier request too. A configure request
    // works with every window manager; _NET_REQUEST_FRAME_EXTENTS goes unanswered by some
    // (Fluxbox) and for override-redirect windows by others (KWin, IceWM). A fresh window each
    // time, so a late answer to an earlier sync is never taken for this one's.
    const xcb_window_t probe = xcb_generate_id(c_);
    const std::uint32_t values[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, probe, root(), -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      values);
    const std::uint32_t size[] = {2, 2};
    xcb_configure_window(c_, probe, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(c_); // waited for below
    ++roundTrips_;
    const auto isProbeNews = [probe](const xcb_generic_event_t& event) {
        return (event.response_type & 0x7f) == XCB_CONFIGURE_NOTIFY &&
               reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == probe;
    };
    const std::size_t start = queue_.size();
    bool found = false;
    while (!found) {
        found = std::any_of(queue_.begin() + static_cast<std::ptrdiff_t>(start), queue_.end(),
                            [&](const auto& queued) { return isProbeNews(*queued.event); });
        if (!found && !readSome(d))
            break;
    }
    xcb_destroy_window(c_, probe);
    flush();
    // The probe's news is nobody else's business.
    std::erase_if(queue_, [&](const auto& queued) { return isProbeNews(*queued.event); });
    drainQueued();
    signalIfPending();
}

void X11Connection::enqueue(xcb_generic_event_t* event) {
    XReply<xcb_generic_event_t> owned(event);
    if (static_cast<int>(event->full_sequence - heardThrough_) > 0)
        heardThrough_ = event->full_sequence;
    if (event->response_type == 0)
        return; // an error of a request nobody checks: a window that vanished mid-way
    const bool movedFocus = observe(*event);
    queue_.push_back({std::move(owned), movedFocus});
}

void X11Connection::drainQueued() {
    while (auto* event = xcb_poll_for_queued_event(c_))
        enqueue(event);
}

void X11Connection::signalIfPending() {
    if (queue_.empty())
        return;
    if (flushesHeld_ > 0 && !dispatching_) {
        handOverDue_ = true;
        return;
    }
    if (!wakeSignalled_) {
        wakeSignalled_ = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = write(wake_, &one, sizeof(one));
    }
}

void X11Connection::readAvailable() {
    while (auto* event = xcb_poll_for_event(c_))
        enqueue(event);
    signalIfPending();
}

bool X11Connection::reshapesScreens(const xcb_generic_event_t& event) const {
    const std::uint8_t type = event.response_type & 0x7f;
    if (hasRandr() && type == randrEventBase_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY)
        return true;
    if (type == XCB_CONFIGURE_NOTIFY) // adding or removing a RandR monitor only does this
        return reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == root();
    if (type == XCB_PROPERTY_NOTIFY) {
        // Window managers rewrite the work area when docks reserve or release space; each of
        // their desktops may have its own.
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        return p.window == root() && (p.atom == atom(X11Atom::_NET_WORKAREA) ||
                                      p.atom == atom(X11Atom::_NET_CURRENT_DESKTOP));
    }
    return false;
}

bool X11Connection::mayChangeScreens(const xcb_generic_event_t& event) const {
    if (reshapesScreens(event))
        return true;
    switch (event.response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        return p.atom == atom(X11Atom::_NET_WM_STRUT) ||
               p.atom == atom(X11Atom::_NET_WM_STRUT_PARTIAL);
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& u = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        return u.event == root() && strutHolders_.contains(u.window);
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        return d.event == root() && strutHolders_.contains(d.window);
    }
    default:
        return false;
    }
}

bool X11Connection::observe(const xcb_generic_event_t& event) {
    if (mayChangeScreens(event))
        ++screenGeneration_;
    const std::uint8_t type = event.response_type & 0x7f;
    const bool movedFocus = mayChangeFocus(event);
    if (movedFocus) {
        forgetFocus();
        learnFocus(event);
    }
    frameMemo_.observe(event);
    stackingMemo_.observe(event);
    factsMemo_->observe(event);
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (p.window == root() && (p.atom == atom(X11Atom::_NET_SUPPORTING_WM_CHECK) ||
                                   p.atom == atom(X11Atom::_NET_SUPPORTED))) {
            wmKnown_ = false;
            frameMemo_.dropExpectations(); // a window manager may take requests over now
        }
    } else if (type == XCB_MAP_NOTIFY) {
        const auto& m = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (m.event == root())
            mappingRanks_.try_emplace(m.window, nextMappingRank_++);
        if (m.event == root() && !ownsWindow(m.window) && !m.override_redirect) {
            mappedSince_.push_back(m.window);
            // Without a window manager the window is an application's, about to be tiled.
            if (wmKnown_ && !wm_) {
                selectClientEvents(m.window);
                prefetch_->start(m.window);
            }
        }
        if (mappedSince_.size() > maxMappedSinceScreens) { // nobody asked for long: read anew
            mappedSince_.clear();
            ++screenGeneration_;
        }
    } else if (type == XCB_DESTROY_NOTIFY) {
        const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (wm_ && d.window == *wm_) {
            wmKnown_ = false;
            wmLostAt_ = Clock::now();
        }
        if (d.event == root())
            mappingRanks_.erase(d.window);
        handedWithoutPid_.erase(d.window); // its id may be another window's later
    }
    return movedFocus;
}

void X11Connection::rememberFocus(FocusMemo memo, std::uint64_t generation) {
    if (generation == focusGeneration_)
        focusMemo_ = memo;
}

bool X11Connection::hearsAllFocusNews() const {
    return focusNewsHeard_ && wmKnown_ && !wm_;
}

void X11Connection::learnFocus(const xcb_generic_event_t& event) {
    // Without a window manager a top-level window that announces gaining the focus has it (or
    // a window inside it has) until it announces losing it: Morvanta's own focus holder then
    // means nothing is focused, and an application's window is remembered with the process id
    // its remembered facts hold. Anything else is read when asked.
    if ((event.response_type & 0x7f) != XCB_FOCUS_IN || !hearsAllFocusNews())
        return;
    const auto& f = reinterpret_cast<const xcb_focus_in_event_t&>(event);
    if (f.event == root()) { // the focus came back to nothing
        focusMemo_ = FocusMemo{XCB_NONE, 0};
        return;
    }
    if (ownsWindow(f.event)) {
        focusMemo_ = FocusMemo{f.event, 0};
        return;
    }
    const auto* facts = factsMemo_->known(f.event);
    if (facts && facts->exists && !facts->overrideRedirect && frameMemo_.isRootChild(f.event))
        focusMemo_ = FocusMemo{f.event, facts->pid};
}

bool X11Connection::mayChangeFocus(const xcb_generic_event_t& event) const {
    switch (event.response_type & 0x7f) {
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT: {
        // Same layout for both. A keyboard grab (every shortcut press) and its release, the
        // pointer's window while the focus follows it, and a move within one top-level window
        // leave the focused top-level window where it was.
        const auto& f = reinterpret_cast<const xcb_focus_in_event_t&>(event);
        if (f.mode == XCB_NOTIFY_MODE_GRAB || f.mode == XCB_NOTIFY_MODE_UNGRAB ||
            f.detail == XCB_NOTIFY_DETAIL_POINTER)
            return false;
        if (f.event == root())
            return rootFocusMoved(f);
        if (f.detail == XCB_NOTIFY_DETAIL_INFERIOR)
            return false;
        if (!focusMemo_)
            return true;
        // The remembered window gaining the focus confirms it; only it losing the focus, or
        // another window gaining it, is a change.
        if ((event.response_type & 0x7f) == XCB_FOCUS_IN)
            return f.event != focusMemo_->window;
        return f.event == focusMemo_->window;
    }
    // Mapping news of Morvanta's own windows (the border) never moves the focus. While every
    // top-level window's focus news is heard without a window manager, the focus news tells
    // what mapping does to the focus (the focused window unmapping announces losing it).
    case XCB_MAP_NOTIFY:
        return !ownsWindow(reinterpret_cast<const xcb_map_notify_event_t&>(event).window) &&
               !hearsAllFocusNews();
    case XCB_UNMAP_NOTIFY: {
        const auto window = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
        return !ownsWindow(window) &&
               (!hearsAllFocusNews() || (focusMemo_ && focusMemo_->window == window));
    }
    case XCB_DESTROY_NOTIFY: { // a window that had the focus announced losing it on unmapping
        const auto window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        return !ownsWindow(window) &&
               (!hearsAllFocusNews() || (focusMemo_ && focusMemo_->window == window));
    }
    case XCB_REPARENT_NOTIFY:
        return true;
    case XCB_PROPERTY_NOTIFY: { // the active window, or a window manager coming or going
        const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        return p.window == root() && (p.atom == atom(X11Atom::_NET_ACTIVE_WINDOW) ||
                                      p.atom == atom(X11Atom::_NET_SUPPORTING_WM_CHECK) ||
                                      p.atom == atom(X11Atom::_NET_SUPPORTED));
    }
    default:
        return false;
    }
}

bool X11Connection::rootFocusMoved(const xcb_focus_in_event_t& f) const {
    // A window manager tells the focus through its active window instead, and without every
    // top-level window's news nothing is remembered from it.
    if (!hearsAllFocusNews())
        return false;
    const bool onNothing = focusMemo_ && focusMemo_->window == XCB_NONE;
    // The focus reaching nothing is a change unless nothing was focused already; leaving it
    // always is.
    if ((f.response_type & 0x7f) == XCB_FOCUS_IN)
        return !onNothing;
    return true;
}

void X11Connection::collectPrefetched() {
    prefetch_->collect();
}

void X11Connection::selectClientEvents(xcb_window_t window) {
    if (factsMemo_->watches(window))
        return; // selected already, for as long as the window lives
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                               XCB_EVENT_MASK_FOCUS_CHANGE;
    xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
    frameMemo_.watch(window);
    factsMemo_->watch(window);
}

void X11Connection::sync() {
    if (xcb_no_operation(c_).sequence == quietAfterSync_ + 1) {
        quietAfterSync_ += 1;
        readAvailable();
        return;
    }
    reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(c_).sequence, deadline());
    quietAfterSync_ = xcb_no_operation(c_).sequence;
}

bool X11Connection::ownsWindow(xcb_window_t window) const {
    const auto* setup = xcb_get_setup(c_);
    return (window & ~setup->resource_id_mask) == setup->resource_id_base;
}

void X11Connection::discardQueued(const std::function<bool(const xcb_generic_event_t&)>& unwanted) {
    drainQueued();
    std::erase_if(queue_, [&](const auto& queued) { return unwanted(*queued.event); });
}

std::int32_t X11Connection::handedPid(xcb_window_t window, std::int32_t pid) {
    if (handedWithoutPid_.contains(window))
        return 0;
    if (pid == 0)
        handedWithoutPid_.insert(window);
    return pid;
}

std::optional<std::uint64_t> X11Connection::mappingRank(xcb_window_t window) const {
    const auto it = mappingRanks_.find(window);
    if (it == mappingRanks_.end())
        return std::nullopt;
    return it->second;
}

int X11Connection::addHandler(Handler handler) {
    const int id = nextHandler_++;
    handlers_[id] = std::move(handler);
    return id;
}

void X11Connection::removeHandler(int id) {
    handlers_.erase(id);
}

int X11Connection::addBatchEndHandler(std::function<void()> handler) {
    const int id = nextHandler_++;
    batchEndHandlers_[id] = std::move(handler);
    return id;
}

void X11Connection::removeBatchEndHandler(int id) {
    batchEndHandlers_.erase(id);
}

void X11Connection::releaseFlushes() {
    if (flushesHeld_ > 1) {
        --flushesHeld_;
        return;
    }
    // The X server takes ten requests from a client before it turns to the others (and sends
    // what it has for everyone). Requests that news already showed handled need no wait.
    constexpr unsigned serverSlice = 10;
    if (flushDue_ && !broken() && !windowManager()) {
        const unsigned next = xcb_no_operation(c_).sequence;
        if (std::min(next - quietAfterSync_, next - heardThrough_) > serverSlice) {
            sync();
            flushDue_ = false;
        }
    }
    // Still held while the news is handed over, so what the handlers send joins the same write.
    if (std::exchange(handOverDue_, false) && !queue_.empty())
        dispatchBatch();
    flushesHeld_ = 0;
    if (std::exchange(flushDue_, false))
        xcb_flush(c_);
}

void X11Connection::dispatchPending() {
    holdFlushes();
    dispatchBatch();
    releaseFlushes();
}

void X11Connection::dispatchBatch() {
    dispatching_ = true;
    while (auto* event = xcb_poll_for_event(c_))
        enqueue(event);
    // The wake counter is only ever written when a wake is signalled: otherwise reading it
    // would cost a system call to learn nothing.
    if (wakeSignalled_) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto n = read(wake_, &count, sizeof(count));
        wakeSignalled_ = false;
    }
    if (broken())
        epoll_ctl(epoll_, EPOLL_CTL_DEL, xcb_get_file_descriptor(c_), nullptr);
    // Only what has arrived so far: events that handlers cause wait for the next call.
    for (std::size_t left = queue_.size(); left > 0 && !queue_.empty(); --left) {
        auto [event, movedFocus] = std::move(queue_.front());
        queue_.pop_front();
        handingOverFocusChange_ = movedFocus;
        std::vector<int> ids;
        for (const auto& [id, handler] : handlers_)
            ids.push_back(id);
        for (const int id : ids) {
            const auto it = handlers_.find(id);
            if (it == handlers_.end())
                continue;
            const Handler handler = it->second; // the handler may remove itself
            handler(*event);
        }
    }
    std::vector<int> ends;
    for (const auto& [id, handler] : batchEndHandlers_)
        ends.push_back(id);
    for (const int id : ends) {
        const auto it = batchEndHandlers_.find(id);
        if (it == batchEndHandlers_.end())
            continue;
        const auto handler = it->second; // the handler may remove itself
        handler();
    }
    drainQueued();
    signalIfPending();
    dispatching_ = false;
}

} // namespace morvanta
