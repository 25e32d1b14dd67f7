#include "ax/x11/x11_screen_source.h"

#include "ax/x11/display_identity.h"
#include "ax/x11/strut_geometry.h"
#include "ax/x11/x11_window_facts.h"

#include <algorithm>
#include <xcb/randr.h>

namespace morvanta {

namespace {

// The first round trip's answers: the monitors, the root's size, the windows that may hold
// struts (the window manager's clients and the root's children) and the work area.
struct RootReading {
    XReply<xcb_randr_get_monitors_reply_t> monitors;
    Size size;
    std::vector<xcb_window_t> candidates;
    std::optional<Rect> workArea;
};

struct Monitor {
    Rect frame;
    bool primary = false;
    xcb_get_atom_name_cookie_t name{};
    std::vector<xcb_randr_get_output_property_cookie_t> edids;
};

struct StrutRequest {
    xcb_window_t window = 0;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_property_cookie_t partial, full;
};

std::vector<double> asDoubles(const std::vector<std::uint32_t>& values) {
    return {values.begin(), values.end()};
}

// The work area of the current desktop: four values per desktop in _NET_WORKAREA.
std::optional<Rect> currentWorkArea(const std::vector<std::uint32_t>& areas,
                                    const std::vector<std::uint32_t>& desktop) {
    const std::size_t index = desktop.empty() ? 0 : desktop[0];
    if (index >= areas.size() / 4)
        return std::nullopt;
    const auto* a = &areas[4 * index];
    return Rect{static_cast<double>(a[0]), static_cast<double>(a[1]), static_cast<double>(a[2]),
                static_cast<double>(a[3])};
}

RootReading readRoot(X11Connection& x) {
    auto* c = x.raw();
    std::optional<xcb_randr_get_monitors_cookie_t> monitors;
    if (x.hasRandr())
        monitors = xcb_randr_get_monitors(c, x.root(), 1);
    auto geometry = xcb_get_geometry(c, x.root());
    auto clients = x.getProperty(x.root(), X11Atom::_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 65536);
    auto tree = xcb_query_tree(c, x.root());
    auto workAreas = x.getProperty(x.root(), X11Atom::_NET_WORKAREA, XCB_ATOM_CARDINAL, 4 * 64);
    auto desktop = x.getProperty(x.root(), X11Atom::_NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, 1);

    const auto deadline = x.deadline();
    RootReading root;
    if (monitors)
        root.monitors = x.reply<xcb_randr_get_monitors_reply_t>(monitors->sequence, deadline);
    const auto geometryReply = x.reply<xcb_get_geometry_reply_t>(geometry.sequence, deadline);
    root.size = geometryReply ? Size{static_cast<double>(geometryReply->width),
                                     static_cast<double>(geometryReply->height)}
                              : Size{static_cast<double>(x.screen().width_in_pixels),
                                     static_cast<double>(x.screen().height_in_pixels)};
    const auto clientsReply = x.reply<xcb_get_property_reply_t>(clients.sequence, deadline);
    root.candidates = propertyValues32(clientsReply.get());
    if (const auto treeReply = x.reply<xcb_query_tree_reply_t>(tree.sequence, deadline)) {
        const auto* children = xcb_query_tree_children(treeReply.get());
        root.candidates.insert(root.candidates.end(), children,
                               children + xcb_query_tree_children_length(treeReply.get()));
    }
    std::sort(root.candidates.begin(), root.candidates.end());
    root.candidates.erase(std::unique(root.candidates.begin(), root.candidates.end()),
                          root.candidates.end());
    root.workArea = currentWorkArea(
        propertyValues32(x.reply<xcb_get_property_reply_t>(workAreas.sequence, deadline).get()),
        propertyValues32(x.reply<xcb_get_property_reply_t>(desktop.sequence, deadline).get()));
    return root;
}

// Asks for each monitor's name and its outputs' EDIDs.
std::vector<Monitor> requestMonitors(X11Connection& x,
                                     const xcb_randr_get_monitors_reply_t* reply) {
    std::vector<Monitor> monitors;
    if (!reply)
        return monitors;
    auto it = xcb_randr_get_monitors_monitors_iterator(reply);
    for (; it.rem > 0; xcb_randr_monitor_info_next(&it)) {
        const auto* m = it.data;
        Monitor monitor;
        monitor.frame = {static_cast<double>(m->x), static_cast<double>(m->y),
                         static_cast<double>(m->width), static_cast<double>(m->height)};
        monitor.primary = m->primary != 0;
        monitor.name = xcb_get_atom_name(x.raw(), m->name);
        const auto* outputs = xcb_randr_monitor_info_outputs(m);
        for (int i = 0; i < xcb_randr_monitor_info_outputs_length(m); ++i)
            monitor.edids.push_back(xcb_randr_get_output_property(
                x.raw(), outputs[i], x.atom(X11Atom::EDID), XCB_ATOM_ANY, 0, 256, 0, 0));
        monitors.push_back(std::move(monitor));
    }
    return monitors;
}

std::vector<StrutRequest> requestStruts(X11Connection& x,
                                        const std::vector<xcb_window_t>& candidates) {
    std::vector<StrutRequest> requests;
    for (const auto w : candidates)
        requests.push_back({w, xcb_get_window_attributes(x.raw(), w),
                            x.getProperty(w, X11Atom::_NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 12),
                            x.getProperty(w, X11Atom::_NET_WM_STRUT, XCB_ATOM_CARDINAL, 4)});
    return requests;
}

// One screen per monitor, named and identified; the primary monitor leads, the others keep
// RandR's order.
std::vector<Screen> collectMonitors(X11Connection& x, const std::vector<Monitor>& monitors,
                                    X11Connection::Deadline deadline) {
    std::vector<Screen> primary, others;
    for (const auto& m : monitors) {
        auto name = x.reply<xcb_get_atom_name_reply_t>(m.name.sequence, deadline);
        std::string monitorName =
            name ? std::string(xcb_get_atom_name_name(name.get()),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())))
                 : std::string();
        std::vector<std::uint8_t> edid;
        for (const auto& cookie : m.edids) {
            auto property =
                x.reply<xcb_randr_get_output_property_reply_t>(cookie.sequence, deadline);
            if (edid.empty() && property && property->format == 8) {
                const auto* data = xcb_randr_get_output_property_data(property.get());
                edid.assign(data, data + xcb_randr_get_output_property_data_length(property.get()));
            }
        }
        Screen screen;
        screen.frame = m.frame;
        screen.name = monitorName;
        screen.identity = displayIdentity(edid, monitorName);
        (m.primary ? primary : others).push_back(screen);
    }
    primary.insert(primary.end(), others.begin(), others.end());
    return primary;
}

// The struts of the mapped windows that hold any, and those windows.
struct StrutReading {
    std::vector<Strut> struts;
    std::set<xcb_window_t> holders;
};

StrutReading collectStruts(X11Connection& x, const std::vector<StrutRequest>& requests,
                           const Size& rootSize, X11Connection::Deadline deadline) {
    StrutReading reading;
    for (const auto& request : requests) {
        auto attributes =
            x.reply<xcb_get_window_attributes_reply_t>(request.attributes.sequence, deadline);
        auto partial = x.reply<xcb_get_property_reply_t>(request.partial.sequence, deadline);
        auto full = x.reply<xcb_get_property_reply_t>(request.full.sequence, deadline);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const auto p = propertyValues32(partial.get());
        const auto f = propertyValues32(full.get());
        if (p.size() >= 12)
            reading.struts.push_back(Strut::fromPartial(asDoubles(p)));
        else if (f.size() >= 4)
            reading.struts.push_back(Strut::fromFull(asDoubles(f), rootSize));
        else
            continue;
        reading.holders.insert(request.window);
    }
    return reading;
}

} // namespace

X11ScreenSource::X11ScreenSource(std::shared_ptr<X11WindowAccess> access)
    : access_(std::move(access)) {
    handler_ = access_->connection().addHandler(
        [this](const xcb_generic_event_t& event) { handle(event); });
}

X11ScreenSource::~X11ScreenSource() {
    access_->connection().removeHandler(handler_);
}

void X11ScreenSource::handle(const xcb_generic_event_t& event) {
    if (access_->connection().reshapesScreens(event) && onScreensChanged)
        onScreensChanged();
}

std::vector<Screen> X11ScreenSource::screens() {
    auto& x = access_->connection();
    // News already sent counts: a monitor added a moment ago is not answered from the cache.
    x.readAvailable();
    const auto mapped = x.takeMappedSinceScreens();
    // The struts question is asked only when the cache would otherwise hold; its round trip
    // may bring screen news, so the generation is compared again after it.
    if (cached_ && !readAgain_ && cachedGeneration_ == x.screenGeneration() &&
        !anyReservesSpace(mapped) && cachedGeneration_ == x.screenGeneration())
        return *cached_;
    readAgain_ = false;
    // Stamped before reading: news that arrives while reading makes the next call read again.
    const auto generation = x.screenGeneration();
    auto screens = readScreens();
    cached_ = screens;
    cachedGeneration_ = generation;
    return screens;
}

bool X11ScreenSource::anyReservesSpace(const std::vector<xcb_window_t>& windows) {
    return std::ranges::any_of(access_->hints(windows),
                               [](const X11WindowHints& h) { return h.reservesSpace; });
}

std::vector<Screen> X11ScreenSource::readScreens() {
    auto& x = access_->connection();
    // First round trip: the monitors, the root's geometry and the windows that may hold struts.
    const RootReading root = readRoot(x);
    // Second round trip: monitor names, EDIDs and struts, all asked for before any is read.
    const auto monitors = requestMonitors(x, root.monitors.get());
    const auto strutRequests = requestStruts(x, root.candidates);
    const auto deadline = x.deadline();
    auto screens = collectMonitors(x, monitors, deadline);
    auto [struts, holders] = collectStruts(x, strutRequests, root.size, deadline);
    watchDocks(std::move(holders));

    if (screens.empty()) {
        Screen whole;
        whole.frame = {0, 0, root.size.width, root.size.height};
        whole.name = "screen";
        whole.identity = whole.name;
        screens.push_back(whole);
    }
    if (root.workArea && x.windowManager())
        struts.push_back(workAreaStrut(*root.workArea, root.size, struts));
    for (auto& screen : screens)
        screen.visibleFrame = visibleFrame(screen.frame, root.size, struts);
    return screens;
}

void X11ScreenSource::watchDocks(std::set<xcb_window_t> docks) {
    auto& x = access_->connection();
    // A dock that changes the space it reserves is heard of, so cached screens go stale.
    for (const auto dock : docks)
        if (!watchedDocks_.contains(dock)) {
            x.selectClientEvents(dock);
            readAgain_ = true;
        }
    x.flush(); // the selections above must reach the server before the dock changes again
    x.setStrutHolders(docks);
    watchedDocks_ = std::move(docks); // a dock gone is forgotten: its number may come back
}

} // namespace morvanta
