// morvanta-testclient: a small X client that opens, changes and closes windows on command, so
// tests can drive real windows from a process other than their own. One command per line on
// stdin; each answers one line on stdout ("ok", "window <name> <id>", "pid <n>" or "error ...")
// once the X server has handled it.
//
//   create NAME X Y W H      a window, not yet mapped     open NAME X Y W H   create + map
//   map NAME | unmap NAME | close NAME                     title NAME TEXT...
//   class NAME INSTANCE CLASS                              type NAME normal|dialog|utility|
//   transient NAME OTHER                                        dock|splash|menu|none|bad
//   minsize NAME W H | increments NAME W H                 move NAME X Y | resize NAME W H
//   iconify NAME | deiconify NAME | fullscreen NAME on|off | focus NAME
//   strut NAME LEFT RIGHT TOP BOTTOM                       many COUNT PREFIX (opens COUNT)
//   nopid NAME (drops _NET_WM_PID, as many older programs never set it)   pid | quit
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* c = nullptr;
xcb_screen_t* screen = nullptr;
std::map<std::string, xcb_window_t> windows;

xcb_atom_t atom(const std::string& name) {
    auto* r = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

void setCardinals(xcb_window_t w, const std::string& property, xcb_atom_t type,
                  const std::vector<std::uint32_t>& values) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom(property), type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

void setText(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& text) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                        static_cast<std::uint32_t>(text.size()), text.data());
}

bool windowManagerRuns() {
    auto* r = xcb_get_property_reply(c,
                                     xcb_get_property(c, 0, screen->root,
                                                      atom("_NET_SUPPORTING_WM_CHECK"),
                                                      XCB_ATOM_WINDOW, 0, 1),
                                     nullptr);
    const bool runs = r && xcb_get_property_value_length(r) == 4;
    std::free(r);
    return runs;
}

void clientMessage(xcb_window_t w, const std::string& type, std::vector<std::uint32_t> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = atom(type);
    data.resize(5);
    std::memcpy(event.data.data32, data.data(), 5 * sizeof(std::uint32_t));
    char buffer[32] = {};
    std::memcpy(buffer, &event, sizeof(event));
    xcb_send_event(c, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   buffer);
}

// WM_NORMAL_HINTS kept per window, so min size and increments can be set independently.
std::map<xcb_window_t, std::vector<std::uint32_t>> hints;

void updateHints(xcb_window_t w, std::uint32_t flag, std::size_t index, std::uint32_t a,
                 std::uint32_t b) {
    auto& h = hints[w];
    h.resize(18, 0);
    h[0] |= flag;
    h[index] = a;
    h[index + 1] = b;
    setCardinals(w, "WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS, h);
}

xcb_window_t create(const std::string& name, int x, int y, int w, int h) {
    const xcb_window_t id = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, values);
    windows[name] = id;
    setText(id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, name);
    setText(id, atom("_NET_WM_NAME"), atom("UTF8_STRING"), name);
    const std::string klass = std::string("testclient") + '\0' + "MorvantaTest" + '\0';
    setText(id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, klass);
    setCardinals(id, "_NET_WM_PID", XCB_ATOM_CARDINAL, {static_cast<std::uint32_t>(getpid())});
    // Ask for the position given: without this hint window managers may place it themselves.
    updateHints(id, (1u << 0) | (1u << 2) | (1u << 3), 1, static_cast<std::uint32_t>(x),
                static_cast<std::uint32_t>(y));
    hints[id][3] = static_cast<std::uint32_t>(w);
    hints[id][4] = static_cast<std::uint32_t>(h);
    setCardinals(id, "WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS, hints[id]);
    return id;
}

void sync() {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

std::string run(const std::string& line) {
    std::istringstream in(line);
    std::string command, name;
    in >> command;
    if (command == "pid")
        return "pid " + std::to_string(getpid());
    if (command == "many") {
        int count = 0;
        std::string prefix;
        in >> count >> prefix;
        for (int i = 0; i < count; ++i) {
            const auto id = create(prefix + std::to_string(i), 20 + (i % 20) * 10,
                                   20 + (i % 15) * 10, 200, 150);
            xcb_map_window(c, id);
        }
        sync();
        return "ok";
    }
    in >> name;
    if (command == "create" || command == "open") {
        int x = 0, y = 0, w = 0, h = 0;
        if (!(in >> x >> y >> w >> h) || w <= 0 || h <= 0)
            return "error create needs NAME X Y W H";
        const auto id = create(name, x, y, w, h);
        if (command == "open")
            xcb_map_window(c, id);
        sync();
        return "window " + name + " " + std::to_string(id);
    }
    const auto it = windows.find(name);
    if (it == windows.end())
        return "error no window " + name;
    const xcb_window_t w = it->second;
    if (command == "map") {
        xcb_map_window(c, w);
    } else if (command == "unmap") {
        xcb_unmap_window(c, w);
    } else if (command == "close") {
        xcb_destroy_window(c, w);
        windows.erase(it);
    } else if (command == "title") {
        std::string text;
        std::getline(in >> std::ws, text);
        setText(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, text);
        setText(w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), text);
    } else if (command == "class") {
        std::string instance, klass;
        in >> instance >> klass;
        setText(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, instance + '\0' + klass + '\0');
    } else if (command == "type") {
        std::string kind;
        in >> kind;
        if (kind == "none") {
            xcb_delete_property(c, w, atom("_NET_WM_WINDOW_TYPE"));
        } else if (kind == "bad") {
            // A type of the wrong format: text where atoms belong.
            setText(w, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_STRING, "normal");
        } else {
            std::string upper = kind;
            for (auto& ch : upper)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            setCardinals(w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM,
                         {atom("_NET_WM_WINDOW_TYPE_" + upper)});
        }
    } else if (command == "state") {
        // The initial _NET_WM_STATE, set before the window is mapped ("skip_taskbar", …).
        std::string state;
        in >> state;
        for (auto& ch : state)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        setCardinals(w, "_NET_WM_STATE", XCB_ATOM_ATOM, {atom("_NET_WM_STATE_" + state)});
    } else if (command == "transient") {
        std::string other;
        in >> other;
        const auto o = windows.find(other);
        if (o == windows.end())
            return "error no window " + other;
        setCardinals(w, "WM_TRANSIENT_FOR", XCB_ATOM_WINDOW, {o->second});
    } else if (command == "minsize" || command == "increments") {
        std::uint32_t a = 0, b = 0;
        in >> a >> b;
        if (command == "minsize")
            updateHints(w, 1u << 4, 5, a, b);
        else
            updateHints(w, 1u << 6, 9, a, b);
    } else if (command == "move" || command == "resize") {
        std::int32_t a = 0, b = 0;
        in >> a >> b;
        const std::uint32_t values[] = {static_cast<std::uint32_t>(a),
                                        static_cast<std::uint32_t>(b)};
        xcb_configure_window(c, w,
                             command == "move" ? XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y
                                               : XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                             values);
    } else if (command == "iconify") {
        if (windowManagerRuns()) {
            clientMessage(w, "WM_CHANGE_STATE", {3});
        } else {
            // Nobody else would: withdraw the window and record the iconic state ourselves.
            xcb_unmap_window(c, w);
            setCardinals(w, "WM_STATE", atom("WM_STATE"), {3, 0});
        }
    } else if (command == "deiconify") {
        if (!windowManagerRuns())
            setCardinals(w, "WM_STATE", atom("WM_STATE"), {1, 0});
        xcb_map_window(c, w);
    } else if (command == "fullscreen") {
        std::string on;
        in >> on;
        const xcb_atom_t fs = atom("_NET_WM_STATE_FULLSCREEN");
        if (windowManagerRuns()) {
            clientMessage(w, "_NET_WM_STATE", {on == "on" ? 1u : 0u, fs, 0, 1});
        } else if (on == "on") {
            setCardinals(w, "_NET_WM_STATE", XCB_ATOM_ATOM, {fs});
        } else {
            xcb_delete_property(c, w, atom("_NET_WM_STATE"));
        }
    } else if (command == "focus") {
        if (windowManagerRuns())
            clientMessage(w, "_NET_ACTIVE_WINDOW", {1, XCB_CURRENT_TIME, 0});
        else
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
    } else if (command == "nopid") {
        xcb_delete_property(c, w, atom("_NET_WM_PID"));
    } else if (command == "strut") {
        std::uint32_t l = 0, r = 0, t = 0, b = 0;
        in >> l >> r >> t >> b;
        const std::uint32_t maxY = screen->height_in_pixels - 1;
        const std::uint32_t maxX = screen->width_in_pixels - 1;
        setCardinals(w, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL,
                     {l, r, t, b, 0, maxY, 0, maxY, 0, maxX, 0, maxX});
    } else if (command == "extents") {
        std::uint32_t l = 0, r = 0, t = 0, b = 0;
        in >> l >> r >> t >> b;
        setCardinals(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, {l, r, t, b});
    } else {
        return "error unknown command " + command;
    }
    sync();
    return "ok";
}

} // namespace

int main() {
    int screenNumber = 0;
    c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::cout << "error no display" << std::endl;
        return 1;
    }
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    screen = it.data;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "quit")
            break;
        if (line.empty())
            continue;
        std::cout << run(line) << std::endl;
        // Events are not needed; drop them so they do not pile up.
        while (auto* event = xcb_poll_for_event(c))
            std::free(event);
    }
    xcb_disconnect(c);
    return 0;
}
