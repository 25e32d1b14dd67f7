#include "ax/x11/x11_window_access.h"

#include "ax/x11/x11_frame_request.h"
#include "ax/x11/x11_window_facts.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <thread>
#include <unordered_set>

namespace morvanta {

namespace {

// _NET_MOVERESIZE_WINDOW: north-west gravity, which fields are set, and "from a pager or
// tool" as the source, so window managers do not second-guess it as an application's wish.
constexpr std::uint32_t northWestGravity = 1;
constexpr std::uint32_t setPositionFlags = (1u << 8) | (1u << 9);
constexpr std::uint32_t setSizeFlags = (1u << 10) | (1u << 11);
constexpr std::uint32_t fromTool = 2u << 12;
constexpr std::uint32_t iconicState = 3;
constexpr int badWindow = 3;
// WM_NORMAL_HINTS: the flag for resize increments and where they sit.
constexpr std::uint32_t resizeIncrementFlag = 1u << 6;
constexpr std::size_t widthIncrementIndex = 9;
constexpr std::size_t heightIncrementIndex = 10;

xcb_window_t windowOf(const AXWindow& window) {
    return window.id();
}

std::optional<std::string> classNameOf(const xcb_get_property_reply_t* reply) {
    const auto text = propertyText(reply);
    if (!text)
        return std::nullopt;
    // "instance\0class\0": the class names the application.
    const auto firstEnd = text->find('\0');
    if (firstEnd == std::string::npos)
        return std::nullopt;
    std::string name = text->substr(firstEnd + 1);
    if (const auto end = name.find('\0'); end != std::string::npos)
        name.resize(end);
    if (name.empty())
        return std::nullopt;
    return name;
}

std::optional<Size> incrementOf(const xcb_get_property_reply_t* reply) {
    const auto hints = propertyValues32(reply);
    if (hints.size() <= heightIncrementIndex || !(hints[0] & resizeIncrementFlag))
        return std::nullopt;
    const auto w = static_cast<std::int32_t>(hints[widthIncrementIndex]);
    const auto h = static_cast<std::int32_t>(hints[heightIncrementIndex]);
    if (w <= 1 && h <= 1)
        return std::nullopt;
    return Size{static_cast<double>(std::max(1, w)), static_cast<double>(std::max(1, h))};
}

int rounded(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

X11WindowAccess::Texts X11WindowAccess::texts(xcb_window_t window) {
    const auto d = x_->deadline();
    auto netName =
        x_->getProperty(window, X11Atom::_NET_WM_NAME, x_->atom(X11Atom::UTF8_STRING), 4096);
    auto name = x_->getProperty(window, X11Atom::WM_NAME, XCB_ATOM_ANY, 4096);
    auto klass = x_->getProperty(window, X11Atom::WM_CLASS, XCB_ATOM_STRING, 1024);
    auto netNameReply = x_->reply<xcb_get_property_reply_t>(netName.sequence, d);
    auto nameReply = x_->reply<xcb_get_property_reply_t>(name.sequence, d);
    auto classReply = x_->reply<xcb_get_property_reply_t>(klass.sequence, d);
    Texts result;
    if (auto t = propertyText(netNameReply.get()))
        result.title = *t;
    else if (auto t2 = propertyText(nameReply.get()))
        result.title = *t2;
    result.className = classNameOf(classReply.get());
    return result;
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
    X11WindowFactsRequest request(*x_, windowOf(window));
    return request.collect(x_->deadline()).kind == X11WindowFacts::Kind::standard;
}

std::optional<bool> X11WindowAccess::isMinimized(const AXWindow& window) {
    X11WindowFactsRequest request(*x_, windowOf(window));
    const auto facts = request.collect(x_->deadline());
    if (!facts.exists)
        return std::nullopt;
    // A window that Morvanta's parking minimised is hidden, not minimised by the user.
    return facts.iconic && !facts.mark;
}

std::optional<bool> X11WindowAccess::isFullScreen(const AXWindow& window) {
    X11WindowFactsRequest request(*x_, windowOf(window));
    const auto facts = request.collect(x_->deadline());
    if (!facts.exists)
        return std::nullopt;
    return facts.fullScreen;
}

bool X11WindowAccess::isIconified(const AXWindow& window) {
    X11WindowFactsRequest request(*x_, windowOf(window));
    const auto facts = request.collect(x_->deadline());
    return facts.exists && facts.iconic;
}

std::optional<Rect> X11WindowAccess::frame(const AXWindow& window) {
    return frames({window}).front();
}

namespace {
// Frame reads sent at construction, collected on demand.
class X11FrameQuery : public FrameQuery {
public:
    X11FrameQuery(X11Connection& x, const std::vector<xcb_window_t>& windows) : x_(x) {
        requests_.reserve(windows.size());
        for (const auto w : windows)
            requests_.emplace_back(x, w);
    }
    ~X11FrameQuery() override {
        for (auto& r : requests_)
            r.discard();
    }
    std::vector<std::optional<Rect>> collect() override {
        const auto d = x_.deadline();
        std::vector<std::optional<Rect>> result;
        result.reserve(requests_.size());
        for (auto& r : requests_) {
            const auto reading = r.collect(d);
            result.push_back(reading ? std::optional<Rect>(reading->frame) : std::nullopt);
        }
        requests_.clear();
        return result;
    }

private:
    X11Connection& x_;
    std::vector<X11FrameRequest> requests_;
};
} // namespace

std::unique_ptr<FrameQuery> X11WindowAccess::queryFrames(const std::vector<AXWindow>& windows) {
    std::vector<xcb_window_t> ids;
    ids.reserve(windows.size());
    for (const auto& w : windows)
        ids.push_back(windowOf(w));
    return std::make_unique<X11FrameQuery>(*x_, ids);
}

std::vector<std::optional<Rect>> X11WindowAccess::frames(const std::vector<AXWindow>& windows) {
    if (x_->windowManager())
        return queryFrames(windows)->collect();
    // Without a window manager the news of the moves answers for the windows it covers: the
    // others are asked about, and that answer (or one sync) brings in all news before it.
    std::vector<AXWindow> unknown;
    std::vector<std::size_t> unknownSlots;
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (!x_->frameMemo().known(windowOf(windows[i]))) {
            unknown.push_back(windows[i]);
            unknownSlots.push_back(i);
        }
    std::vector<std::optional<Rect>> result(windows.size());
    if (unknown.empty())
        x_->sync();
    else {
        const auto read = queryFrames(unknown)->collect();
        for (std::size_t k = 0; k < unknown.size(); ++k)
            result[unknownSlots[k]] = read[k];
    }
    std::vector<AXWindow> lost; // reparented meanwhile: a window manager may be starting
    std::vector<std::size_t> lostSlots;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (result[i])
            continue;
        if (const auto reading = X11FrameRequest::remembered(*x_, windowOf(windows[i])))
            result[i] = reading->frame;
        else if (!std::binary_search(unknownSlots.begin(), unknownSlots.end(), i)) {
            lost.push_back(windows[i]);
            lostSlots.push_back(i);
        }
    }
    if (!lost.empty()) {
        const auto read = queryFrames(lost)->collect();
        for (std::size_t k = 0; k < lost.size(); ++k)
            result[lostSlots[k]] = read[k];
    }
    return result;
}

void X11WindowAccess::sendMoveResize(xcb_window_t window, std::uint32_t flags, int x, int y, int w,
                                     int h) {
    x_->sendClientMessage(window, X11Atom::_NET_MOVERESIZE_WINDOW,
                          {northWestGravity | flags | fromTool, static_cast<std::uint32_t>(x),
                           static_cast<std::uint32_t>(y), static_cast<std::uint32_t>(w),
                           static_cast<std::uint32_t>(h)});
}

bool X11WindowAccess::setFrame(const AXWindow& window, const Rect& frame) {
    return setFrames({{window, frame}}).front();
}

X11WindowAccess::SentFrames
X11WindowAccess::sendFrameRequests(const std::vector<std::pair<AXWindow, Rect>>& targets,
                                   bool checked) {
    const auto d = x_->deadline();
    const bool managed = x_->windowManager().has_value();
    // Only the decorations matter here: without a window manager, those the news already told
    // are not asked for again.
    if (!managed)
        x_->readAvailable();
    std::vector<std::optional<X11FrameReading>> readings(targets.size());
    std::vector<std::pair<std::size_t, X11FrameRequest>> requests;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const xcb_window_t id = windowOf(targets[i].first);
        if (!managed)
            readings[i] = X11FrameRequest::remembered(*x_, id);
        if (!readings[i])
            requests.emplace_back(i, X11FrameRequest(*x_, id));
    }
    for (auto& [i, r] : requests)
        readings[i] = r.collect(d);

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
        const std::uint32_t size[] = {static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)};
        const std::uint32_t position[] = {static_cast<std::uint32_t>(x),
                                          static_cast<std::uint32_t>(y)};
        const auto sizeMask = XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
        const auto positionMask = XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
        xcb_configure_window(x_->raw(), id, sizeMask, size); // first step: result ignored
        if (!checked) {
            // The error of a window that vanished meanwhile is dropped with the other events.
            xcb_configure_window(x_->raw(), id, positionMask, position);
            xcb_configure_window(x_->raw(), id, sizeMask, size);
            continue;
        }
        sent.cookies.push_back(xcb_configure_window_checked(x_->raw(), id, positionMask, position));
        sent.cookies.push_back(xcb_configure_window_checked(x_->raw(), id, sizeMask, size));
        sent.owners.push_back(i);
    }
    x_->flush();
    return sent;
}

std::vector<bool>
X11WindowAccess::setFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    auto sent = sendFrameRequests(targets, true);
    if (x_->windowManager()) {
        x_->syncWithWindowManager();
        return sent.sent;
    }
    std::vector<bool> result(targets.size(), false);
    const auto ok = x_->check(sent.cookies, x_->deadline());
    for (std::size_t k = 0; k < sent.owners.size(); ++k)
        result[sent.owners[k]] = ok[2 * k] && ok[2 * k + 1];
    return result;
}

void X11WindowAccess::sendFrames(const std::vector<std::pair<AXWindow, Rect>>& targets) {
    sendFrameRequests(targets, false);
}

bool X11WindowAccess::sharesWithWindowManager() const {
    return x_->windowManager().has_value();
}

void X11WindowAccess::settle() {
    // Without a window manager the server carries out this connection's requests in order, so
    // any later read already sees them.
    if (x_->windowManager())
        x_->syncWithWindowManager();
}

bool X11WindowAccess::setPosition(const AXWindow& window, const Point& origin) {
    const xcb_window_t id = windowOf(window);
    if (x_->windowManager()) {
        auto exists = x_->reply<xcb_get_geometry_reply_t>(xcb_get_geometry(x_->raw(), id).sequence,
                                                          x_->deadline());
        if (!exists)
            return false;
        sendMoveResize(id, setPositionFlags, rounded(origin.x), rounded(origin.y), 0, 0);
        x_->syncWithWindowManager();
        return true;
    }
    const std::uint32_t position[] = {static_cast<std::uint32_t>(rounded(origin.x)),
                                      static_cast<std::uint32_t>(rounded(origin.y))};
    const auto cookie = xcb_configure_window_checked(
        x_->raw(), id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    return x_->check({cookie}, x_->deadline()).front();
}

std::optional<Size> X11WindowAccess::sizeIncrement(const AXWindow& window) {
    return sizeIncrements({window}).front();
}

std::vector<std::optional<Size>>
X11WindowAccess::sizeIncrements(const std::vector<AXWindow>& windows) {
    const auto d = x_->deadline();
    std::vector<xcb_get_property_cookie_t> cookies;
    for (const auto& w : windows)
        cookies.push_back(
            x_->getProperty(windowOf(w), X11Atom::WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 18));
    std::vector<std::optional<Size>> result;
    for (const auto& c : cookies) {
        auto r = x_->reply<xcb_get_property_reply_t>(c.sequence, d);
        result.push_back(incrementOf(r.get()));
    }
    return result;
}

void X11WindowAccess::raise(const AXWindow& window) {
    const xcb_window_t id = windowOf(window);
    if (x_->windowManager()) {
        // Source 2 (a tool), no sibling, stack mode Above.
        x_->sendClientMessage(id, X11Atom::_NET_RESTACK_WINDOW, {2, 0, XCB_STACK_MODE_ABOVE, 0, 0});
        x_->syncWithWindowManager();
        return;
    }
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(x_->raw(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    x_->flush();
}

void X11WindowAccess::requestActivation(xcb_window_t window) {
    // Bringing the window to the front is the window manager's job: ask it to activate the
    // window (as a tool, at the current time) and to raise it.
    x_->noteFocusRequest();
    x_->sendClientMessage(window, X11Atom::_NET_ACTIVE_WINDOW, {2, XCB_CURRENT_TIME, 0, 0, 0});
    x_->sendClientMessage(window, X11Atom::_NET_RESTACK_WINDOW, {2, 0, XCB_STACK_MODE_ABOVE, 0, 0});
}

FocusResult X11WindowAccess::focus(const AXWindow& window) {
    const xcb_window_t id = windowOf(window);
    const auto d = x_->deadline();
    const auto exists = xcb_get_window_attributes(x_->raw(), id);
    if (x_->windowManager()) {
        if (!x_->reply<xcb_get_window_attributes_reply_t>(exists.sequence, d))
            return {badWindow, badWindow, badWindow};
        requestActivation(id);
        x_->syncWithWindowManager();
        return {0, 0, 0};
    }
    // Sent along with the existence question: one round trip answers all three.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    x_->noteFocusRequest();
    const auto focusCookie =
        xcb_set_input_focus_checked(x_->raw(), XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    const auto raiseCookie =
        xcb_configure_window_checked(x_->raw(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    const auto ok = x_->check({focusCookie, raiseCookie}, d);
    if (!x_->reply<xcb_get_window_attributes_reply_t>(exists.sequence, d))
        return {badWindow, badWindow, badWindow};
    // An unviewable window cannot take the focus (BadMatch).
    return {ok[0] ? 0 : 8, 0, ok[1] ? 0 : badWindow};
}

void X11WindowAccess::focusNothing() {
    // Beside a window manager too: it sees the focus go to a window it does not manage and
    // counts no window of its own as active. Waited for there, as sendFocus is: the next
    // requests must not overtake a window manager still busy with the last ones.
    focusHolder_.takeFocus();
    if (x_->windowManager())
        x_->syncWithWindowManager();
}

void X11WindowAccess::sendFocus(const AXWindow& window) {
    const xcb_window_t id = windowOf(window);
    if (x_->windowManager()) {
        requestActivation(id);
        // Waited for all the same: a window manager still restoring windows shown a moment ago
        // and asked to activate one meanwhile may leave them a few points off their frames
        // (seen with Openbox) when the next requests come before it is done.
        x_->syncWithWindowManager();
        return;
    }
    // Unchecked: a window that vanished or cannot take the focus leaves it where it was.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    x_->noteFocusRequest();
    xcb_set_input_focus(x_->raw(), XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    xcb_configure_window(x_->raw(), id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    x_->flush();
}

bool X11WindowAccess::setParkMark(const AXWindow& window, const Rect& savedFrame) {
    const std::uint32_t values[] = {static_cast<std::uint32_t>(rounded(savedFrame.x)),
                                    static_cast<std::uint32_t>(rounded(savedFrame.y)),
                                    static_cast<std::uint32_t>(rounded(savedFrame.width)),
                                    static_cast<std::uint32_t>(rounded(savedFrame.height))};
    const auto cookie = xcb_change_property_checked(
        x_->raw(), XCB_PROP_MODE_REPLACE, windowOf(window), x_->atom(X11Atom::_MORVANTA_PARKED),
        XCB_ATOM_CARDINAL, 32, 4, values);
    return x_->check({cookie}, x_->deadline()).front();
}

void X11WindowAccess::clearParkMark(const AXWindow& window) {
    xcb_delete_property(x_->raw(), windowOf(window), x_->atom(X11Atom::_MORVANTA_PARKED));
    x_->flush();
}

std::optional<Rect> X11WindowAccess::parkMark(const AXWindow& window) {
    auto r = x_->reply<xcb_get_property_reply_t>(
        x_->getProperty(windowOf(window), X11Atom::_MORVANTA_PARKED, XCB_ATOM_CARDINAL, 4).sequence,
        x_->deadline());
    return parseParkMark(r.get());
}

std::vector<xcb_window_t> X11WindowAccess::topLevelCandidates() {
    const auto d = x_->deadline();
    if (x_->windowManager()) {
        auto list = x_->reply<xcb_get_property_reply_t>(
            x_->getProperty(x_->root(), X11Atom::_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 65536).sequence,
            d);
        return propertyValues32(list.get());
    }
    auto tree =
        x_->reply<xcb_query_tree_reply_t>(xcb_query_tree(x_->raw(), x_->root()).sequence, d);
    if (!tree)
        return {};
    const auto* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

std::vector<std::pair<AXWindow, Rect>> X11WindowAccess::markedWindows() {
    const auto windows = topLevelCandidates();
    const auto d = x_->deadline();
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    for (const auto w : windows)
        cookies.emplace_back(x_->getProperty(w, X11Atom::_MORVANTA_PARKED, XCB_ATOM_CARDINAL, 4),
                             x_->getProperty(w, X11Atom::_NET_WM_PID, XCB_ATOM_CARDINAL, 1));
    std::vector<std::pair<AXWindow, Rect>> result;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto mark = x_->reply<xcb_get_property_reply_t>(cookies[i].first.sequence, d);
        auto pid = x_->reply<xcb_get_property_reply_t>(cookies[i].second.sequence, d);
        const auto saved = parseParkMark(mark.get());
        if (!saved)
            continue;
        const auto p = propertyValues32(pid.get());
        result.emplace_back(handle(windows[i], p.empty() ? 0 : static_cast<std::int32_t>(p[0])),
                            *saved);
    }
    return result;
}

void X11WindowAccess::forgetOwnStateChanges(const std::vector<AXWindow>& windows) {
    std::unordered_set<xcb_window_t> ids;
    for (const auto& w : windows)
        ids.insert(windowOf(w));
    const xcb_atom_t wmState = x_->atom(X11Atom::WM_STATE);
    const xcb_atom_t netState = x_->atom(X11Atom::_NET_WM_STATE);
    x_->discardQueued([&](const xcb_generic_event_t& event) {
        const std::uint8_t type = event.response_type & 0x7f;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            return ids.contains(p.window) && (p.atom == wmState || p.atom == netState);
        }
        if (type == XCB_MAP_NOTIFY)
            return ids.contains(reinterpret_cast<const xcb_map_notify_event_t&>(event).window);
        if (type == XCB_UNMAP_NOTIFY)
            return ids.contains(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window);
        return false;
    });
}

namespace {

constexpr auto settleTimeout = std::chrono::milliseconds(700);
// Longer than one step of a window manager's animation, so an animating frame always moves
// between two samples.
constexpr auto settleSample = std::chrono::milliseconds(30);

} // namespace

std::vector<bool> X11WindowAccess::viewable(const std::vector<AXWindow>& windows) {
    const auto d = x_->deadline();
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const auto& w : windows)
        cookies.push_back(xcb_get_window_attributes(x_->raw(), windowOf(w)));
    std::vector<bool> result;
    result.reserve(windows.size());
    for (const auto& cookie : cookies) {
        auto attributes = x_->reply<xcb_get_window_attributes_reply_t>(cookie.sequence, d);
        result.push_back(attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE);
    }
    return result;
}

void X11WindowAccess::waitUntilSettled(const std::vector<AXWindow>& windows) {
    const auto end = X11Connection::Clock::now() + settleTimeout;
    std::vector<std::optional<Rect>> previous;
    while (X11Connection::Clock::now() < end) {
        // Frames and viewability travel together: one round trip per sample.
        const auto current = frames(windows);
        const auto shown = viewable(windows);
        const bool allShown = std::ranges::all_of(shown, [](bool v) { return v; });
        if (allShown && current == previous)
            return;
        previous = current;
        std::this_thread::sleep_for(settleSample);
    }
}

bool X11WindowAccess::iconify(const AXWindow& window) {
    return iconifyAll({window}).front();
}

std::vector<bool> X11WindowAccess::iconifyAll(const std::vector<AXWindow>& windows) {
    if (!x_->windowManager())
        return std::vector<bool>(windows.size(), false); // minimising is the window manager's
    for (const auto& w : windows)
        x_->sendClientMessage(windowOf(w), X11Atom::WM_CHANGE_STATE, {iconicState, 0, 0, 0, 0});
    // The window manager records the new state as it handles the request; an animation of the
    // minimising may still run afterwards, but nothing waits for it (the mark keeps the window
    // listed, so its late unmapping is no news to anyone).
    x_->syncWithWindowManager();
    auto result = isIconifiedAll(windows);
    forgetOwnStateChanges(windows);
    return result;
}

bool X11WindowAccess::deiconify(const AXWindow& window) {
    deiconifyAll({window}, true);
    return !isIconified(window);
}

void X11WindowAccess::deiconifyAll(const std::vector<AXWindow>& windows, bool settle) {
    // Mapping an iconic window asks the window manager to show it again.
    for (const auto& w : windows)
        xcb_map_window(x_->raw(), windowOf(w));
    if (!x_->windowManager()) {
        x_->flush();
        return;
    }
    x_->syncWithWindowManager();
    // Some window managers keep a minimised client mapped, so the map request never reaches
    // them (Mutter); asking them to activate the window is what restores it there.
    std::vector<AXWindow> stillIconic;
    const auto iconic = isIconifiedAll(windows);
    for (std::size_t i = 0; i < windows.size(); ++i)
        if (iconic[i])
            stillIconic.push_back(windows[i]);
    if (!stillIconic.empty()) {
        for (const auto& w : stillIconic)
            requestActivation(windowOf(w));
        x_->syncWithWindowManager();
    }
    if (settle) {
        std::vector<AXWindow> present;
        const auto found = frames(windows);
        for (std::size_t i = 0; i < windows.size(); ++i)
            if (found[i])
                present.push_back(windows[i]);
        waitUntilSettled(present);
    }
    forgetOwnStateChanges(windows);
}

std::vector<bool> X11WindowAccess::isIconifiedAll(const std::vector<AXWindow>& windows) {
    const auto d = x_->deadline();
    std::vector<X11WindowFactsRequest> requests;
    requests.reserve(windows.size());
    for (const auto& w : windows)
        requests.emplace_back(*x_, windowOf(w));
    std::vector<bool> result;
    result.reserve(windows.size());
    for (auto& r : requests) {
        const auto facts = r.collect(d);
        result.push_back(facts.exists && facts.iconic);
    }
    return result;
}

void X11WindowAccess::sendPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    const bool managed = x_->windowManager().has_value();
    for (const auto& [w, origin] : targets) {
        const int x = rounded(origin.x), y = rounded(origin.y);
        if (managed) {
            sendMoveResize(windowOf(w), setPositionFlags, x, y, 0, 0);
            continue;
        }
        // Unchecked: the error of a window that vanished is dropped with the other events.
        const std::uint32_t position[] = {static_cast<std::uint32_t>(x),
                                          static_cast<std::uint32_t>(y)};
        xcb_configure_window(x_->raw(), windowOf(w), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y,
                             position);
    }
    x_->flush();
}

void X11WindowAccess::setPositions(const std::vector<std::pair<AXWindow, Point>>& targets) {
    if (targets.empty())
        return;
    sendPositions(targets);
    // The X server handles one connection's requests in order, so without a window manager a
    // later read already sees the moves; a window manager has to be waited for, once.
    settle();
}

void X11WindowAccess::setParkMarks(const std::vector<std::pair<AXWindow, Rect>>& marks) {
    // Unchecked and not waited for: the server handles them before any later move of this
    // connection, and a window manager only hears of a move after that.
    for (const auto& [w, saved] : marks) {
        const std::uint32_t values[] = {static_cast<std::uint32_t>(rounded(saved.x)),
                                        static_cast<std::uint32_t>(rounded(saved.y)),
                                        static_cast<std::uint32_t>(rounded(saved.width)),
                                        static_cast<std::uint32_t>(rounded(saved.height))};
        xcb_change_property(x_->raw(), XCB_PROP_MODE_REPLACE, windowOf(w),
                            x_->atom(X11Atom::_MORVANTA_PARKED), XCB_ATOM_CARDINAL, 32, 4, values);
    }
    x_->flush();
}

void X11WindowAccess::clearParkMarks(const std::vector<AXWindow>& windows) {
    for (const auto& w : windows)
        xcb_delete_property(x_->raw(), windowOf(w), x_->atom(X11Atom::_MORVANTA_PARKED));
    x_->flush();
}

std::vector<std::optional<Rect>> X11WindowAccess::parkMarks(const std::vector<AXWindow>& windows) {
    const auto d = x_->deadline();
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const auto& w : windows)
        cookies.push_back(
            x_->getProperty(windowOf(w), X11Atom::_MORVANTA_PARKED, XCB_ATOM_CARDINAL, 4));
    std::vector<std::optional<Rect>> result;
    result.reserve(windows.size());
    for (const auto& cookie : cookies) {
        auto r = x_->reply<xcb_get_property_reply_t>(cookie.sequence, d);
        result.push_back(parseParkMark(r.get()));
    }
    return result;
}

} // namespace morvanta
