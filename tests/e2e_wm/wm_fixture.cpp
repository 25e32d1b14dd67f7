#include "tests/e2e_wm/wm_fixture.h"

#include <xcb/xcb.h>

namespace morvanta::testing {

namespace {

XvfbOptions optionsFor(const WindowManagerSetup& setup) {
    XvfbOptions options;
    options.windowManager = setup.windowManager;
    options.width = setup.twoMonitors ? 3200 : 1600;
    options.height = 1000;
    if (setup.twoMonitors)
        options.monitors = {{"LEFT", 0, 0, 1600, 1000}, {"RIGHT", 1600, 0, 1600, 1000}};
    return options;
}

std::string textProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    auto reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property, XCB_ATOM_ANY, 0, 256), nullptr);
    std::string text;
    if (reply)
        text.assign(static_cast<const char*>(xcb_get_property_value(reply)),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    free(reply);
    return text;
}

} // namespace

std::vector<WindowManagerSetup> windowManagerSetups(bool withTwoMonitors) {
    std::vector<WindowManagerSetup> setups;
    // Every one, installed or not: a missing window manager fails its tests rather than
    // leaving them out unseen (`scripts/install-deps --tests` installs them all).
    for (const auto wm :
         {TestWindowManager::none, TestWindowManager::openbox, TestWindowManager::xfwm4,
          TestWindowManager::kwin, TestWindowManager::mutter, TestWindowManager::icewm,
          TestWindowManager::fluxbox}) {
        setups.push_back({wm, false});
        if (withTwoMonitors)
            setups.push_back({wm, true});
    }
    return setups;
}

std::string setupName(const ::testing::TestParamInfo<WindowManagerSetup>& info) {
    return windowManagerName(info.param.windowManager) +
           (info.param.twoMonitors ? "TwoMonitors" : "OneScreen");
}

WindowManagerE2E::WindowManagerE2E() : AppE2E(optionsFor(GetParam())) {}

AXWindow WindowManagerE2E::named(const std::string& title) {
    for (const auto& w : windows())
        if (w.description().find("“" + title + "”") != std::string::npos)
            return w;
    ADD_FAILURE() << "no window named " << title << " in\n" << described();
    return {};
}

bool WindowManagerE2E::borderAround(const AXWindow& window) {
    const auto frame = window.frame();
    borderSeen = "frame " + (frame ? rectText(*frame) : std::string("unknown")) + "; border";
    if (!frame)
        return false;
    xcb_connection_t* c = xcb_connect(desktop.server().display().c_str(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    auto tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    bool around = false;
    const auto* children = tree ? xcb_query_tree_children(tree) : nullptr;
    for (int i = 0; tree && i < xcb_query_tree_children_length(tree) && !around; ++i) {
        if (textProperty(c, children[i], XCB_ATOM_WM_NAME) != "Morvanta focus border")
            continue;
        auto attributes =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
        auto geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, children[i]), nullptr);
        // The ring encloses the frame with a few points to spare on every side.
        const auto near = [](double outer, double inner) {
            return outer <= inner && inner - outer <= 20;
        };
        if (attributes && geometry)
            borderSeen += " " +
                          rectText(Rect{double(geometry->x), double(geometry->y),
                                        double(geometry->width), double(geometry->height)}) +
                          (attributes->map_state == XCB_MAP_STATE_VIEWABLE ? " shown" : " hidden");
        around = attributes && geometry && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                 near(geometry->x, frame->x) && near(geometry->y, frame->y) &&
                 near(-(geometry->x + geometry->width), -(frame->x + frame->width)) &&
                 near(-(geometry->y + geometry->height), -(frame->y + frame->height));
        free(attributes);
        free(geometry);
    }
    free(tree);
    xcb_disconnect(c);
    return around;
}

int WindowManagerE2E::configuresDuring(const std::vector<AXWindow>& watched,
                                       std::chrono::milliseconds quiet) {
    xcb_connection_t* c = xcb_connect(desktop.server().display().c_str(), nullptr);
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (const auto& w : watched)
        xcb_change_window_attributes(c, w.id(), XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    // Quiet begins once what was asked last is done: a window manager's late answers to it
    // are not a fight.
    std::this_thread::sleep_for(1s);
    while (auto* event = xcb_poll_for_event(c))
        free(event);
    int count = 0;
    const auto end = std::chrono::steady_clock::now() + quiet;
    while (std::chrono::steady_clock::now() < end) {
        while (auto* event = xcb_poll_for_event(c)) {
            count += (event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY;
            free(event);
        }
        std::this_thread::sleep_for(10ms);
    }
    xcb_disconnect(c);
    return count;
}

} // namespace morvanta::testing
