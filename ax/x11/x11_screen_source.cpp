#include "ax/x11/x11_screen_source.h"

#include "ax/x11/display_identity.h"
#include "ax/x11/strut_geometry.h"
#include "ax/x11/x11_window_facts.h"

#include <algorithm>
#include <xcb/randr.h>

namespace morvanta {

namespace {

struct Monitor {
    Rect frame;
    bool primary = false;
    xcb_get_atom_name_cookie_t name{};
    std::vector<xcb_randr_get_output_property_cookie_t> edids;
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
    auto& x = access_->connection();
    std::vector<xcb_get_property_cookie_t> cookies;
    for (const auto w : windows) {
        cookies.push_back(x.getProperty(w, X11Atom::_NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 12));
        cookies.push_back(x.getProperty(w, X11Atom::_NET_WM_STRUT, XCB_ATOM_CARDINAL, 4));
    }
    const auto d = x.deadline();
    bool any = false;
    for (const auto& cookie : cookies)
        if (!propertyValues32(x.reply<xcb_get_property_reply_t>(cookie.sequence, d).get()).empty())
            any = true;
    return any;
}

std::vector<Screen> X11ScreenSource::readScreens() {
    auto& x = access_->connection();
    auto* c = x.raw();
    const auto d = x.deadline();
    const Size root{static_cast<double>(x.screen().width_in_pixels),
                    static_cast<double>(x.screen().height_in_pixels)};

    // First round trip: the monitors, the root's geometry and the windows that may hold struts.
    std::optional<xcb_randr_get_monitors_cookie_t> monitorsCookie;
    if (x.hasRandr())
        monitorsCookie = xcb_randr_get_monitors(c, x.root(), 1);
    auto rootGeometry = xcb_get_geometry(c, x.root());
    auto clients = x.getProperty(x.root(), X11Atom::_NET_CLIENT_LIST, XCB_ATOM_WINDOW, 65536);
    auto tree = xcb_query_tree(c, x.root());
    auto workAreas = x.getProperty(x.root(), X11Atom::_NET_WORKAREA, XCB_ATOM_CARDINAL, 4 * 64);
    auto desktop = x.getProperty(x.root(), X11Atom::_NET_CURRENT_DESKTOP, XCB_ATOM_CARDINAL, 1);

    XReply<xcb_randr_get_monitors_reply_t> monitorsReply;
    if (monitorsCookie)
        monitorsReply = x.reply<xcb_randr_get_monitors_reply_t>(monitorsCookie->sequence, d);
    auto geometry = x.reply<xcb_get_geometry_reply_t>(rootGeometry.sequence, d);
    auto clientsReply = x.reply<xcb_get_property_reply_t>(clients.sequence, d);
    auto treeReply = x.reply<xcb_query_tree_reply_t>(tree.sequence, d);
    const auto workArea = currentWorkArea(
        propertyValues32(x.reply<xcb_get_property_reply_t>(workAreas.sequence, d).get()),
        propertyValues32(x.reply<xcb_get_property_reply_t>(desktop.sequence, d).get()));
    const Size rootSize =
        geometry ? Size{static_cast<double>(geometry->width), static_cast<double>(geometry->height)}
                 : root;

    std::vector<xcb_window_t> candidates = propertyValues32(clientsReply.get());
    if (treeReply) {
        const auto* children = xcb_query_tree_children(treeReply.get());
        candidates.insert(candidates.end(), children,
                          children + xcb_query_tree_children_length(treeReply.get()));
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

    // Second round trip: monitor names, EDIDs and struts.
    std::vector<Monitor> monitors;
    if (monitorsReply) {
        auto it = xcb_randr_get_monitors_monitors_iterator(monitorsReply.get());
        for (; it.rem > 0; xcb_randr_monitor_info_next(&it)) {
            const auto* m = it.data;
            Monitor monitor;
            monitor.frame = {static_cast<double>(m->x), static_cast<double>(m->y),
                             static_cast<double>(m->width), static_cast<double>(m->height)};
            monitor.primary = m->primary != 0;
            monitor.name = xcb_get_atom_name(c, m->name);
            const auto* outputs = xcb_randr_monitor_info_outputs(m);
            for (int i = 0; i < xcb_randr_monitor_info_outputs_length(m); ++i)
                monitor.edids.push_back(xcb_randr_get_output_property(
                    c, outputs[i], x.atom(X11Atom::EDID), XCB_ATOM_ANY, 0, 256, 0, 0));
            monitors.push_back(std::move(monitor));
        }
    }
    struct StrutCookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t partial, full;
    };
    std::vector<StrutCookies> strutCookies;
    for (const auto w : candidates)
        strutCookies.push_back(
            {xcb_get_window_attributes(c, w),
             x.getProperty(w, X11Atom::_NET_WM_STRUT_PARTIAL, XCB_ATOM_CARDINAL, 12),
             x.getProperty(w, X11Atom::_NET_WM_STRUT, XCB_ATOM_CARDINAL, 4)});

    const auto d2 = x.deadline();
    std::vector<Screen> result;
    for (auto& m : monitors) {
        auto name = x.reply<xcb_get_atom_name_reply_t>(m.name.sequence, d2);
        std::string monitorName =
            name ? std::string(xcb_get_atom_name_name(name.get()),
                               static_cast<std::size_t>(xcb_get_atom_name_name_length(name.get())))
                 : std::string();
        std::vector<std::uint8_t> edid;
        for (const auto& cookie : m.edids) {
            auto property = x.reply<xcb_randr_get_output_property_reply_t>(cookie.sequence, d2);
            if (edid.empty() && property && property->format == 8) {
                const auto* data = xcb_randr_get_output_property_data(property.get());
                edid.assign(data, data + xcb_randr_get_output_property_data_length(property.get()));
            }
        }
        Screen screen;
        screen.frame = m.frame;
        screen.name = monitorName;
        screen.identity = displayIdentity(edid, monitorName);
        result.push_back(screen);
    }
    std::vector<Strut> struts;
    std::set<xcb_window_t> docks;
    for (std::size_t i = 0; i < strutCookies.size(); ++i) {
        auto& s = strutCookies[i];
        auto attributes = x.reply<xcb_get_window_attributes_reply_t>(s.attributes.sequence, d2);
        auto partial = x.reply<xcb_get_property_reply_t>(s.partial.sequence, d2);
        auto full = x.reply<xcb_get_property_reply_t>(s.full.sequence, d2);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const auto p = propertyValues32(partial.get());
        const auto f = propertyValues32(full.get());
        if (p.size() >= 12)
            struts.push_back(Strut::fromPartial(asDoubles(p)));
        else if (f.size() >= 4)
            struts.push_back(Strut::fromFull(asDoubles(f), rootSize));
        else
            continue;
        // A dock that changes the space it reserves is heard of, so cached screens go stale.
        docks.insert(candidates[i]);
        if (!watchedDocks_.contains(candidates[i])) {
            x.selectClientEvents(candidates[i]);
            readAgain_ = true;
        }
    }
    x.flush(); // the selections above must reach the server before the dock changes again
    x.setStrutHolders(docks);
    watchedDocks_ = std::move(docks); // a dock gone is forgotten: its number may come back
    if (result.empty()) {
        Screen whole;
        whole.frame = {0, 0, rootSize.width, rootSize.height};
        whole.name = "screen";
        whole.identity = whole.name;
        result.push_back(whole);
    } else {
        // The primary monitor leads, the others keep RandR's order.
        std::vector<Screen> ordered;
        for (std::size_t i = 0; i < result.size(); ++i)
            if (monitors[i].primary)
                ordered.push_back(result[i]);
        for (std::size_t i = 0; i < result.size(); ++i)
            if (!monitors[i].primary)
                ordered.push_back(result[i]);
        result = std::move(ordered);
    }
    if (workArea && x.windowManager())
        struts.push_back(workAreaStrut(*workArea, rootSize, struts));
    for (auto& screen : result)
        screen.visibleFrame = visibleFrame(screen.frame, rootSize, struts);
    return result;
}

} // namespace morvanta
