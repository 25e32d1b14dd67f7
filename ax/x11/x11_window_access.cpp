#include "ax/x11/x11_window_access.h"

#include "ax/x11/x11_facts_memo.h"
#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_window_facts.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace morvanta {

namespace {

// _NET_MOVERESIZE_WINDOW: north-west gravity, which fields are set, and "from a pager or
// tool" as the source, so window managers do not second-guess it as an application's wish.
constexpr std::uint32_t northWestGravity = 1;
constexpr std::uint32_t setPositionFlags = (1u << 8) | (1u << 9);
constexpr std::uint32_t setSizeFlags = (1u << 10) | (1u << 11);
constexpr std::uint32_t fromTool = 2u << 12;
constexpr int badWindow = 3;

xcb_window_t windowOf(const AXWindow& window) {
    return window.id();
}

int rounded(double v) {
    return static_cast<int>(std::lround(v));
}

std::vector<xcb_window_t> idsOf(const std::vector<AXWindow>& windows) {
    std::vector<xcb_window_t> ids;
    ids.reserve(windows.size());
    for (const auto& w : windows)
        ids.push_back(windowOf(w));
    return ids;
}

} // namespace

X11WindowTexts X11WindowAccess::texts(xcb_window_t window) {
    // Texts the news has not changed since they were read are not asked for again; news the
    // server has already sent is read first.
    connection_->collectPrefetched();
    auto& memo = connection_->factsMemo();
    if (memo.knownTexts(window))
        connection_->readAvailable();
    if (const auto* known = memo.knownTexts(window))
        return *known;
    const auto news = memo.textsNews(window);
    auto texts = X11WindowTextsRequest(*connection_, window).collect(connection_->deadline());
    memo.learnTexts(window, texts, news);
    return texts;
}

std::string X11WindowAccess::appNameFor(const AXWindow& window,
                                        const std::optional<std::string>& className) {
    if (className)
        return *className;
    if (window.pid() > 0) {
        std::ifstream comm("/proc/" + std::to_string(window.pid()) + "/comm");
        std::string name;
        if (comm && std::getline(comm, name) && !name.empty())
            return name;
    }
    return "pid " + std::to_string(window.pid());
}

std::string X11WindowAccess::title(const AXWindow& window) {
    return texts(windowOf(window)).title;
}

std::string X11WindowAccess::appName(const AXWindow& window) {
    return appNameFor(window, texts(windowOf(window)).className);
}

std::optional<std::string> X11WindowAccess::bundleIdentifier(const AXWindow& window) {
    return texts(windowOf(window)).className;
}

std::string X11WindowAccess::description(const AXWindow& window) {
    const auto t = texts(windowOf(window));
    return appNameFor(window, t.className) + " — “" + t.title + "”";
}

bool X11WindowAccess::isStandard(const AXWindow& window) {
    X11WindowFactsRequest request(*connection_, windowOf(window));
    return request.collect(connection_->deadline()).kind == X11WindowFacts::Kind::standard;
}

std::optional<bool> X11WindowAccess::isMinimized(const AXWindow& window) {
    X11WindowFactsRequest request(*connection_, windowOf(window));
    const auto facts = request.collect(connection_->deadline());
    if (!facts.exists)
        return std::nullopt;
    // A window that Morvanta's parking minimised is hidden, not minimised by the user.
    return facts.iconic && !facts.mark;
}

std::optional<bool> X11WindowAccess::isFullScreen(const AXWindow& window) {
    X11WindowFactsRequest request(*connection_, windowOf(window));
    const auto facts = request.collect(connection_->deadline());
    if (!facts.exists)
        return std::nullopt;
    return facts.fullScreen;
}

namespace {
// Frame reads sent at construction, collected on demand. Frames already known need no read.
class X11FrameQuery : public FrameQuery {
public:
    X11FrameQuery(X11Connection& x, const std::vector<xcb_window_t>& windows, bool useMemo)
        : connection_(x), known_(windows.size()) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (useMemo)
                if (const auto reading = X11FrameRequest::remembered(x, windows[i])) {
                    known_[i] = reading->frame;
                    continue;
                }
            requests_.emplace_back(i, X11FrameRequest(x, windows[i]));
        }
    }
    ~X11FrameQuery() override {
        for (auto& [slot, r] : requests_)
            r.discard();
    }
    std::vector<std::optional<Rect>> collect() override {
        const auto deadline = connection_.deadline();
        for (auto& [slot, r] : requests_)
            if (const auto reading = r.collect(deadline))
                known_[slot] = reading->frame;
        requests_.clear();
        return std::move(known_);
    }

private:
    X11Connection& connection_;
    std::vector<std::optional<Rect>> known_;
    std::vector<std::pair<std::size_t, X11FrameRequest>> requests_;
};
} // namespace

std::unique_ptr<FrameQuery> X11WindowAccess::queryFrames(const std::vector<AXWindow>& windows) {
    // Without a window manager the news and Morvanta's own requests tell most frames.
    const bool useMemo = !connection_->windowManager();
    if (useMemo) {
        connection_->readAvailable();
        connection_->collectPrefetched();
    }
    return std::make_unique<X11FrameQuery>(*connection_, idsOf(windows), useMemo);
}

std::vector<std::optional<Rect>> X11WindowAccess::frames(const std::vector<AXWindow>& windows) {
    // Without a window manager the news and Morvanta's own requests answer for the windows they
    // cover (see queryFrames): reading frames back after the moves waits for nothing.
    return queryFrames(windows)->collect();
}

void X11WindowAccess::sendMoveResize(xcb_window_t window, std::uint32_t flags, int x, int y, int w,
                                     int h) {
    connection_->sendClientMessage(window, X11Atom::_NET_MOVERESIZE_WINDOW,
                                   {northWestGravity | flags | fromTool,
                                    static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                    static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)});
}

std::vector<std::optional<X11FrameReading>>
X11WindowAccess::readingsFor(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    const auto deadline = connection_->deadline();
    const bool managed = connection_->windowManager().has_value();
    // Only the decorations matter here: without a window manager, those the news already told
    // are not asked for again.
    if (!managed) {
        connection_->readAvailable();
        connection_->collectPrefetched();
    }
    std::vector<std::optional<X11FrameReading>> readings(targets.size());
    std::vector<std::pair<std::size_t, X11FrameRequest>> requests;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const xcb_window_t id = windowOf(targets[i].first);
        if (!managed)
            readings[i] = X11FrameRequest::remembered(*connection_, id);
        if (!readings[i])
            requests.emplace_back(i, X11FrameRequest(*connection_, id));
    }
    for (auto& [i, r] : requests)
        readings[i] = r.collect(deadline);
    return readings;
}

X11WindowAccess::SentFrames
X11WindowAccess::sendFrameRequests(const std::vector<std::pair<AXWindow, Rect>>& targets,
                                   bool checked) {
    const bool managed = connection_->windowManager().has_value();
    const auto readings = readingsFor(targets);
    SentFrames sent;
    sent.sent.assign(targets.size(), false);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (!readings[i])
            continue; // vanished
        sent.sent[i] = true;
        const auto& deco = readings[i]->decorations;
        const Rect& r = targets[i].second;
        const xcb_window_t id = windowOf(targets[i].first);
        const int x = rounded(r.x), y = rounded(r.y);
        // The window manager and the server size the client; decorations come on top.
        const int w = std::max(1, rounded(r.width) - deco.left - deco.right - 2 * deco.border);
        const int h = std::max(1, rounded(r.height) - deco.top - deco.bottom - 2 * deco.border);
        if (managed) {
            // One request: the window manager weighs position and size together. Each request
            // costs some window managers a redraw and a notification (Fluxbox), so three per
            // window made a switch three times as long there.
            sendMoveResize(id, setPositionFlags | setSizeFlags, x, y, w, h);
            continue;
        }
        // Without a window manager the server sets position and size at once, so one request
        // leaves the window where size, position and size again would, with one notification
        // to every listener instead of three.
        const std::uint32_t frame[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                       static_cast<std::uint32_t>(w),
                                       static_cast<std::uint32_t>(h)};
        const auto mask = XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                          XCB_CONFIG_WINDOW_HEIGHT;
        // The error of a window that vanished meanwhile is dropped with the other events.
        const auto cookie = checked
                                ? xcb_configure_window_checked(connection_->raw(), id, mask, frame)
                                : xcb_configure_window(connection_->raw(), id, mask, frame);
        connection_->frameMemo().expect(id, x, y, w, h, cookie.sequence);
        if (checked) {
            sent.cookies.push_back(cookie);
            sent.owners.push_back(i);
        }
    }
    connection_->flush();
    return sent;
}

std::vector<bool>
X11WindowAccess::setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    auto sent = sendFrameRequests(targets, true);
    if (connection_->windowManager()) {
        connection_->syncWithWindowManager();
        return sent.sent;
    }
    std::vector<bool> result(targets.size(), false);
    const auto ok = connection_->check(sent.cookies, connection_->deadline());
    for (std::size_t k = 0; k < sent.owners.size(); ++k)
        result[sent.owners[k]] = ok[k];
    return result;
}

void X11WindowAccess::sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    // Waits for nothing but the decorations it does not know yet.
    sendFrameRequests(targets, false);
}

void X11WindowAccess::settle() {
    // Without a window manager the server carries out this connection's requests in order, so
    // any later read already sees them.
    if (connection_->windowManager())
        connection_->syncWithWindowManager();
}

std::vector<std::optional<Size>>
X11WindowAccess::sizeIncrements(const std::vector<AXWindow>& windows) {
    std::vector<std::optional<Size>> result;
    for (const auto& h : hints(idsOf(windows)))
        result.push_back(h.sizeIncrement);
    return result;
}

std::vector<X11WindowHints> X11WindowAccess::hints(const std::vector<xcb_window_t>& windows) {
    connection_->collectPrefetched();
    auto& memo = connection_->factsMemo();
    if (std::ranges::any_of(windows, [&](xcb_window_t w) { return memo.knownHints(w); }))
        connection_->readAvailable(); // news the server already sent may have changed them
    std::vector<X11WindowHints> result(windows.size());
    std::vector<std::optional<X11WindowHintsRequest>> requests(windows.size());
    std::vector<std::uint64_t> newsWhenAsked(windows.size(), 0);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (const auto* known = memo.knownHints(windows[i])) {
            result[i] = *known;
            continue;
        }
        newsWhenAsked[i] = memo.hintsNews(windows[i]);
        requests[i].emplace(*connection_, windows[i]);
    }
    const auto deadline = connection_->deadline();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!requests[i])
            continue;
        result[i] = requests[i]->collect(deadline);
        memo.learnHints(windows[i], result[i], newsWhenAsked[i]);
    }
    return result;
}

void X11WindowAccess::raise(const AXWindow& window) {
    const xcb_window_t id = windowOf(window);
    if (connection_->windowManager()) {
        // Source 2 (a tool), no sibling, stack mode Above.
        connection_->sendClientMessage(id, X11Atom::_NET_RESTACK_WINDOW,
                                       {2, 0, XCB_STACK_MODE_ABOVE, 0, 0});
        connection_->syncWithWindowManager();
        return;
    }
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_->raw(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    connection_->flush();
}

FocusResult X11WindowAccess::focus(const AXWindow& window) {
    const xcb_window_t id = windowOf(window);
    const auto deadline = connection_->deadline();
    const auto exists = xcb_get_window_attributes(connection_->raw(), id);
    if (connection_->windowManager()) {
        if (!connection_->reply<xcb_get_window_attributes_reply_t>(exists.sequence, deadline))
            return {badWindow, badWindow, badWindow};
        requestActivation(*connection_, id);
        connection_->syncWithWindowManager();
        return {0, 0, 0};
    }
    // Sent along with the existence question: one round trip answers all three.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    connection_->noteFocusRequest();
    const auto focusCookie = xcb_set_input_focus_checked(connection_->raw(), XCB_INPUT_FOCUS_PARENT,
                                                         id, XCB_CURRENT_TIME);
    const auto raiseCookie =
        xcb_configure_window_checked(connection_->raw(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    const auto ok = connection_->check({focusCookie, raiseCookie}, deadline);
    if (!connection_->reply<xcb_get_window_attributes_reply_t>(exists.sequence, deadline))
        return {badWindow, badWindow, badWindow};
    // An unviewable window cannot take the focus (BadMatch).
    return {ok[0] ? 0 : 8, 0, ok[1] ? 0 : badWindow};
}

void X11WindowAccess::focusNothing() {
    // Beside a window manager too: it sees the focus go to a window it does not manage and
    // counts no window of its own as active. Waited for there, as sendFocus is: the next
    // requests must not overtake a window manager still busy with the last ones.
    focusHolder_.takeFocus();
    if (connection_->windowManager())
        connection_->syncWithWindowManager();
}

void X11WindowAccess::sendFocus(const AXWindow& window) {
    const xcb_window_t id = windowOf(window);
    if (connection_->windowManager()) {
        requestActivation(*connection_, id);
        // Waited for all the same: a window manager still restoring windows shown a moment ago
        // and asked to activate one meanwhile may leave them a few points off their frames
        // (seen with Openbox) when the next requests come before it is done.
        connection_->syncWithWindowManager();
        return;
    }
    // Unchecked: a window that vanished or cannot take the focus leaves it where it was.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    const auto* facts = connection_->factsMemo().known(id);
    std::optional<X11Connection::FocusMemo> expected;
    if (facts && facts->viewable && connection_->frameMemo().isRootChild(id))
        expected = X11Connection::FocusMemo{id, facts->pid};
    connection_->noteFocusRequest(expected);
    xcb_set_input_focus(connection_->raw(), XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    xcb_configure_window(connection_->raw(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    connection_->flush();
}

std::vector<xcb_window_t> X11WindowAccess::topLevelCandidates() {
    const auto deadline = connection_->deadline();
    if (connection_->windowManager()) {
        auto list = connection_->reply<xcb_get_property_reply_t>(
            connection_
                ->getProperty(connection_->root(), X11Atom::_NET_CLIENT_LIST, XCB_ATOM_WINDOW,
                              65536)
                .sequence,
            deadline);
        return propertyValues32(list.get());
    }
    auto tree = connection_->reply<xcb_query_tree_reply_t>(
        xcb_query_tree(connection_->raw(), connection_->root()).sequence, deadline);
    if (!tree)
        return {};
    const auto* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

void X11WindowAccess::sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    const bool managed = connection_->windowManager().has_value();
    for (const auto& [w, origin] : targets) {
        const int x = rounded(origin.x), y = rounded(origin.y);
        if (managed) {
            sendMoveResize(windowOf(w), setPositionFlags, x, y, 0, 0);
            continue;
        }
        // Unchecked: the error of a window that vanished is dropped with the other events.
        const std::uint32_t position[] = {static_cast<std::uint32_t>(x),
                                          static_cast<std::uint32_t>(y)};
        const auto cookie = xcb_configure_window(
            connection_->raw(), windowOf(w), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
        connection_->frameMemo().expect(windowOf(w), x, y, std::nullopt, std::nullopt,
                                        cookie.sequence);
    }
    connection_->flush();
}

void X11WindowAccess::setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    if (targets.empty())
        return;
    sendPositions(targets);
    // The X server handles one connection's requests in order, so without a window manager a
    // later read already sees the moves; a window manager has to be waited for, once.
    settle();
}

std::vector<std::pair<AXWindow, Rect>> X11WindowAccess::markedWindows() {
    std::vector<std::pair<AXWindow, Rect>> result;
    for (const auto& marked : parking_.marked(topLevelCandidates()))
        result.emplace_back(handle(marked.window, marked.pid), marked.saved);
    return result;
}

void X11WindowAccess::setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) {
    std::vector<std::pair<xcb_window_t, Rect>> ids;
    ids.reserve(marks.size());
    for (const auto& [w, saved] : marks)
        ids.emplace_back(windowOf(w), saved);
    parking_.setMarks(ids);
}

void X11WindowAccess::clearParkMarks(const std::vector<AXWindow>& windows) {
    parking_.clearMarks(idsOf(windows));
}

std::vector<std::optional<Rect>> X11WindowAccess::parkMarks(const std::vector<AXWindow>& windows) {
    return parking_.marks(idsOf(windows));
}

std::vector<bool> X11WindowAccess::iconifyAll(const std::vector<AXWindow>& windows) {
    return parking_.iconify(idsOf(windows));
}

void X11WindowAccess::deiconifyAll(const std::vector<AXWindow>& windows, bool settle) {
    parking_.deiconify(idsOf(windows), settle);
}

std::vector<bool> X11WindowAccess::isIconifiedAll(const std::vector<AXWindow>& windows) {
    return parking_.isIconified(idsOf(windows));
}

} // namespace morvanta
