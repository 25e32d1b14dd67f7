#include "ax/x11/x11_window_list.h"

#include "ax/x11/window_order.h"
#include "ax/x11/x11_facts_memo.h"
#include "ax/x11/x11_window_facts.h"

#include <algorithm>

namespace morvanta {

std::vector<AXWindow> X11WindowList::all() {
    auto& x = access_->connection();
    // Without a window manager only the root's children count, and the news keeps them (news
    // the server has already sent is read first).
    if (!x.windowManager() && x.stackingMemo().known()) {
        x.readAvailable();
        // A copy: the memo changes with news read while the facts are asked for.
        if (const auto* children = x.stackingMemo().known())
            return rootChildren(std::vector(*children));
    }
    const auto deadline = x.deadline();
    auto clients = x.getProperty(x.root(), X11Atom::_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 65536);
    auto stacking =
        x.getProperty(x.root(), X11Atom::_NET_CLIENT_LIST_STACKING, XCB_ATOM_WINDOW, 65536);
    auto tree = xcb_query_tree(x.raw(), x.root());
    x.stackingMemo().asked(tree.sequence);
    auto desktop = x.getProperty(x.root(), X11Atom::_NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, 1);
    auto clientsReply = x.reply<xcb_get_property_reply_t>(clients.sequence, deadline);
    auto stackingReply = x.reply<xcb_get_property_reply_t>(stacking.sequence, deadline);
    auto treeReply = x.reply<xcb_query_tree_reply_t>(tree.sequence, deadline);
    const auto current =
        propertyValues32(x.reply<xcb_get_property_reply_t>(desktop.sequence, deadline).get());
    currentDesktop_ = current.empty() ? std::nullopt : std::optional(current[0]);

    std::vector<xcb_window_t> children;
    if (treeReply) {
        const auto* c = xcb_query_tree_children(treeReply.get());
        children.assign(c, c + xcb_query_tree_children_length(treeReply.get()));
        x.stackingMemo().learn(children);
    }
    const auto clientList = propertyValues32(clientsReply.get());
    auto stackingList = propertyValues32(stackingReply.get());
    if (stackingList.empty())
        stackingList = clientList;
    if (x.windowManager()) {
        // A window manager's frames are no application's windows: while one runs (its check
        // window alive, or one taking over from another) its client list is read, never the
        // root's children. While the list is empty (Mutter replacing itself lists its clients
        // only once it manages them) the last one stands, each window checked again.
        if (!clientList.empty())
            return lastManaged_ = enumerate(clientList, stackingList, Source::clientList);
        return lastManaged_ = lastClientsStillShown();
    }
    return rootChildren(std::move(children));
}

std::vector<AXWindow> X11WindowList::rootChildren(std::vector<xcb_window_t> children) {
    // Without a window manager the connection's own notes give the mapping order; windows
    // mapped before it opened come first, bottom to top.
    auto& x = access_->connection();
    std::vector<std::pair<std::uint64_t, xcb_window_t>> ranked;
    ranked.reserve(children.size());
    for (const auto w : children)
        ranked.emplace_back(x.mappingRank(w).value_or(0), w);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<xcb_window_t> byAge;
    byAge.reserve(ranked.size());
    for (const auto& [rank, w] : ranked)
        byAge.push_back(w);
    return enumerate(byAge, children, Source::rootChildren);
}

std::vector<AXWindow> X11WindowList::lastClientsStillShown() {
    std::vector<xcb_window_t> ids;
    for (const auto& w : lastManaged_)
        ids.push_back(w.id());
    return enumerate(ids, ids, Source::lastClientList);
}

std::vector<AXWindow> X11WindowList::enumerate(const std::vector<xcb_window_t>& mappingOrder,
                                               const std::vector<xcb_window_t>& stacking,
                                               Source source) {
    const bool managed = source != Source::rootChildren;
    const auto facts = readFacts(mappingOrder, !managed);
    std::vector<OrderedWindow> kept;
    for (std::size_t i = 0; i < mappingOrder.size(); ++i) {
        const X11WindowFacts& f = facts[i];
        if (!f.exists || f.overrideRedirect)
            continue;
        // Without a window manager an unmapped top-level is withdrawn; with one, an iconic
        // client stays listed and the state below decides.
        if (!managed && !f.viewable)
            continue;
        // Listed by nobody now: only a window still showing, or one Morvanta hid, stays.
        if (source == Source::lastClientList && !f.viewable && !f.mark)
            continue;
        if (f.pid == ownPid_ || f.kind != X11WindowFacts::Kind::standard)
            continue;
        if ((f.iconic && !f.mark) || f.fullScreen)
            continue;
        // Only the window manager's current desktop is tiled; windows on its other desktops
        // are left as they are. Windows Morvanta hid stay listed wherever they are: they are
        // its own to bring back.
        if (managed && !f.mark && !onCurrentDesktop(f))
            continue;
        kept.push_back({mappingOrder[i], f.pid});
    }
    std::vector<AXWindow> result;
    for (const auto& w : orderWindows(kept, stacking))
        result.push_back(access_->handle(w.window, w.pid));
    return result;
}

std::vector<X11WindowFacts> X11WindowList::readFacts(const std::vector<xcb_window_t>& windows,
                                                     bool mayRemember) {
    auto& x = access_->connection();
    x.collectPrefetched();
    auto& memo = x.factsMemo();
    // Every request goes out before any answer is read; remembered facts need none, and
    // Morvanta's own windows (never listed) are answered as absent without asking.
    std::vector<X11WindowFacts> facts(windows.size());
    std::vector<std::optional<X11WindowFactsRequest>> requests(windows.size());
    std::vector<std::uint64_t> newsWhenAsked(windows.size(), 0);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (x.ownsWindow(windows[i]))
            continue;
        if (const auto* known = mayRemember ? memo.known(windows[i]) : nullptr) {
            facts[i] = *known;
            continue;
        }
        newsWhenAsked[i] = memo.news(windows[i]);
        requests[i].emplace(x, windows[i]);
    }
    const auto deadline = x.deadline();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!requests[i])
            continue;
        facts[i] = requests[i]->collect(deadline);
        memo.learn(windows[i], facts[i], newsWhenAsked[i]);
    }
    return facts;
}

bool X11WindowList::onCurrentDesktop(const X11WindowFacts& facts) const {
    return !currentDesktop_ || !facts.desktop || *facts.desktop == X11WindowFacts::allDesktops ||
           *facts.desktop == *currentDesktop_;
}

std::optional<xcb_window_t> X11WindowList::topLevelOf(X11Connection& x, xcb_window_t window) {
    // Frames are shallow; the bound only guards against a tree changing under us.
    for (int depth = 0; depth < 16 && window != XCB_NONE; ++depth) {
        auto tree =
            x.reply<xcb_query_tree_reply_t>(xcb_query_tree(x.raw(), window).sequence, x.deadline());
        if (!tree)
            return std::nullopt;
        if (tree->parent == x.root())
            return window;
        if (tree->root == window)
            return std::nullopt;
        window = tree->parent;
    }
    return std::nullopt;
}

std::optional<AXWindow> X11WindowList::focused() {
    auto& x = access_->connection();
    // News the server has already sent may move the focus: read it before trusting the memo.
    x.readAvailable();
    const bool trusted = x.focusNewsHeard() || x.windowManager();
    if (const auto& memo = x.focusMemo(); memo && trusted) {
        if (memo->window == XCB_NONE || x.ownsWindow(memo->window))
            return std::nullopt;
        return access_->handle(memo->window, memo->pid);
    }
    const auto generation = x.focusGeneration();
    const auto reading = readFocused();
    // Remembered while the news tells every change: a top-level window and Morvanta's own
    // window announce losing the focus, and the root announces the focus leaving nothing for
    // any window, selected or not. A focused menu or other window of no application is read
    // again each time.
    if (!trusted)
        return reading.window;
    if (reading.window)
        x.rememberFocus({static_cast<xcb_window_t>(reading.window->id()), reading.window->pid()},
                        generation);
    else if (reading.own != XCB_NONE)
        x.rememberFocus({reading.own, 0}, generation);
    else if (reading.nowhere && x.hearsAllFocusNews())
        x.rememberFocus({XCB_NONE, 0}, generation);
    return reading.window;
}

std::optional<X11WindowList::FocusReading>
X11WindowList::rememberedFocusFacts(xcb_window_t window) {
    auto& x = access_->connection();
    x.collectPrefetched();
    const auto* facts = x.factsMemo().known(window);
    if (!facts || !x.frameMemo().isRootChild(window))
        return std::nullopt;
    if (!facts->exists || facts->overrideRedirect)
        return FocusReading{};
    return FocusReading{access_->handle(window, facts->pid)};
}

X11WindowList::FocusReading X11WindowList::readFocused() {
    auto& x = access_->connection();
    const bool managed = x.windowManager().has_value();
    xcb_window_t window = XCB_NONE;
    if (managed) {
        auto active = x.reply<xcb_get_property_reply_t>(
            x.getProperty(x.root(), X11Atom::_NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 1).sequence,
            x.deadline());
        const auto values = propertyValues32(active.get());
        if (!values.empty())
            window = values[0];
    } else {
        auto focus = x.reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(x.raw()).sequence,
                                                          x.deadline());
        // None (0) and PointerRoot (1) name no window.
        if (focus && focus->focus > 1)
            window = focus->focus;
        // Morvanta's focus holder, or a top-level window whose facts the news already tells.
        if (window != XCB_NONE && x.ownsWindow(window))
            return FocusReading{std::nullopt, window};
        if (window != XCB_NONE)
            if (auto known = rememberedFocusFacts(window))
                return *known;
    }
    if (window == XCB_NONE || window == x.root())
        return FocusReading{std::nullopt, XCB_NONE, true};
    // The input focus is usually on a top-level window itself: its facts are asked for along
    // with the check, and only a focused child window costs a walk up and a second ask.
    std::optional<xcb_query_tree_cookie_t> tree;
    if (!managed)
        tree = xcb_query_tree(x.raw(), window);
    auto attributes = xcb_get_window_attributes(x.raw(), window);
    auto pid = x.getProperty(window, X11Atom::_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
    const auto deadline = x.deadline();
    if (tree) {
        auto treeReply = x.reply<xcb_query_tree_reply_t>(tree->sequence, deadline);
        if (!treeReply || treeReply->parent != x.root()) {
            // Not the window asked about after all: its answers are not waited for.
            xcb_discard_reply(x.raw(), attributes.sequence);
            xcb_discard_reply(x.raw(), pid.sequence);
            const auto top = treeReply ? topLevelOf(x, treeReply->parent) : std::nullopt;
            if (!top)
                return {};
            window = *top;
            attributes = xcb_get_window_attributes(x.raw(), window);
            pid = x.getProperty(window, X11Atom::_NET_WM_PID, XCB_ATOM_CARDINAL, 1);
        }
    }
    auto attributesReply =
        x.reply<xcb_get_window_attributes_reply_t>(attributes.sequence, deadline);
    auto pidReply = x.reply<xcb_get_property_reply_t>(pid.sequence, deadline);
    // An override-redirect window is nobody's application window: Morvanta's own focus holder
    // (which has the keyboard while nothing shown can take it), or a menu.
    if (!attributesReply || attributesReply->override_redirect)
        return {};
    const auto pidValues = propertyValues32(pidReply.get());
    return {
        access_->handle(window, pidValues.empty() ? 0 : static_cast<std::int32_t>(pidValues[0]))};
}

} // namespace morvanta
