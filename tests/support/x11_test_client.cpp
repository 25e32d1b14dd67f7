#include "tests/support/x11_test_client.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <utility>
#include <xcb/shape.h>

namespace morvanta::testing {

namespace {
template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> Reply<T> own(T* p) {
    return Reply<T>(p, &std::free);
}
std::string upper(std::string text) {
    for (auto& ch : text)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}
} // namespace

X11TestClient::X11TestClient(const std::string& display, std::uint32_t pid) : pid_(pid) {
    int screenNumber = 0;
    c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), &screenNumber);
    if (!ok())
        return;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c_));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    screen_ = it.data;
    if (const auto* shape = xcb_get_extension_data(c_, &xcb_shape_id); shape && shape->present)
        shapeBase_ = shape->first_event;
}

X11TestClient::~X11TestClient() {
    if (c_)
        xcb_disconnect(c_);
}

xcb_atom_t X11TestClient::atom(const std::string& name) {
    auto reply = own(xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

void X11TestClient::setCardinals(xcb_window_t w, const std::string& property, xcb_atom_t type,
                                 const std::vector<std::uint32_t>& values) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(property), type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

void X11TestClient::setText(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
                            const std::string& text) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                        static_cast<std::uint32_t>(text.size()), text.data());
}

void X11TestClient::updateHints(xcb_window_t w, std::uint32_t flag, std::size_t index,
                                std::uint32_t a, std::uint32_t b) {
    auto& h = hints_[w];
    h.resize(18, 0);
    h[0] |= flag;
    h[index] = a;
    h[index + 1] = b;
    setCardinals(w, "WM_NORMAL_HINTS", XCB_ATOM_WM_SIZE_HINTS, h);
}

bool X11TestClient::windowManagerRuns() {
    auto reply = own(xcb_get_property_reply(
        c_,
        xcb_get_property(c_, 0, root(), atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    return reply && xcb_get_property_value_length(reply.get()) == 4;
}

void X11TestClient::clientMessage(xcb_window_t w, const std::string& type,
                                  std::vector<std::uint32_t> data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = w;
    event.type = atom(type);
    data.resize(5);
    std::memcpy(event.data.data32, data.data(), 5 * sizeof(std::uint32_t));
    char buffer[32] = {};
    std::memcpy(buffer, &event, sizeof(event));
    xcb_send_event(c_, 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   buffer);
}

xcb_window_t X11TestClient::open(const std::string& name, int x, int y, int w, int h,
                                 const WindowOptions& options) {
    const xcb_window_t id = xcb_generate_id(c_);
    const std::uint32_t values[] = {options.rgb, options.eventMask};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, id, root(), static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen_->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    windows_[name] = id;
    setText(id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, name);
    setText(id, atom("_NET_WM_NAME"), atom("UTF8_STRING"), name);
    setText(id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, std::string("testclient\0MorvantaTest\0", 24));
    if (options.withPid)
        setCardinals(id, "_NET_WM_PID", XCB_ATOM_CARDINAL, {pid_});
    // Asks for the position given: without it a window manager may place the window itself.
    updateHints(id, (1u << 0) | (1u << 2) | (1u << 3), 1, static_cast<std::uint32_t>(x),
                static_cast<std::uint32_t>(y));
    updateHints(id, 0, 3, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h));
    if (options.map)
        xcb_map_window(c_, id);
    sync();
    return id;
}

std::string X11TestClient::command(const std::string& line) {
    std::istringstream in(line);
    std::string command, name;
    in >> command;
    if (command == "pid")
        return "pid " + std::to_string(pid_);
    if (command == "many") {
        int count = 0;
        std::string prefix;
        in >> count >> prefix;
        for (int i = 0; i < count; ++i)
            open(prefix + std::to_string(i), 20 + (i % 20) * 10, 20 + (i % 15) * 10, 200, 150);
        return "ok";
    }
    in >> name;
    if (command == "create" || command == "open") {
        int x = 0, y = 0, w = 0, h = 0;
        if (!(in >> x >> y >> w >> h) || w <= 0 || h <= 0)
            return "error create needs NAME X Y W H";
        const auto id = open(name, x, y, w, h, {.map = command == "open"});
        return "window " + name + " " + std::to_string(id);
    }
    const auto it = windows_.find(name);
    if (it == windows_.end())
        return "error no window " + name;
    const std::string reply = change(it->second, command, in);
    if (command == "close")
        windows_.erase(name);
    sync();
    return reply;
}

std::string X11TestClient::change(xcb_window_t w, const std::string& command, std::istream& in) {
    if (command == "map") {
        xcb_map_window(c_, w);
    } else if (command == "unmap") {
        xcb_unmap_window(c_, w);
    } else if (command == "close") {
        xcb_destroy_window(c_, w);
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
        if (kind == "none")
            xcb_delete_property(c_, w, atom("_NET_WM_WINDOW_TYPE"));
        else if (kind == "bad") // a type of the wrong format: text where atoms belong
            setText(w, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_STRING, "normal");
        else
            setCardinals(w, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM,
                         {atom("_NET_WM_WINDOW_TYPE_" + upper(kind))});
    } else if (command == "state") {
        std::string state;
        in >> state;
        setCardinals(w, "_NET_WM_STATE", XCB_ATOM_ATOM, {atom("_NET_WM_STATE_" + upper(state))});
    } else if (command == "transient") {
        std::string other;
        in >> other;
        const auto o = windows_.find(other);
        if (o == windows_.end())
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
        configure(w,
                  command == "move" ? XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y
                                    : XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                  {static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b)});
    } else if (command == "iconify") {
        if (windowManagerRuns()) {
            clientMessage(w, "WM_CHANGE_STATE", {3});
        } else {
            // Nobody else would: withdraw the window and record the iconic state ourselves.
            xcb_unmap_window(c_, w);
            setCardinals(w, "WM_STATE", atom("WM_STATE"), {3, 0});
        }
    } else if (command == "deiconify") {
        if (!windowManagerRuns())
            setCardinals(w, "WM_STATE", atom("WM_STATE"), {1, 0});
        xcb_map_window(c_, w);
    } else if (command == "fullscreen") {
        std::string on;
        in >> on;
        const xcb_atom_t fs = atom("_NET_WM_STATE_FULLSCREEN");
        if (windowManagerRuns())
            clientMessage(w, "_NET_WM_STATE", {on == "on" ? 1u : 0u, fs, 0, 1});
        else if (on == "on")
            setCardinals(w, "_NET_WM_STATE", XCB_ATOM_ATOM, {fs});
        else
            xcb_delete_property(c_, w, atom("_NET_WM_STATE"));
    } else if (command == "focus") {
        if (windowManagerRuns())
            clientMessage(w, "_NET_ACTIVE_WINDOW", {1, XCB_CURRENT_TIME, 0});
        else
            xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
    } else if (command == "nopid") {
        xcb_delete_property(c_, w, atom("_NET_WM_PID"));
    } else if (command == "setpid") {
        setCardinals(w, "_NET_WM_PID", XCB_ATOM_CARDINAL, {pid_});
    } else if (command == "strut") {
        std::uint32_t l = 0, r = 0, t = 0, b = 0;
        in >> l >> r >> t >> b;
        const std::uint32_t maxY = screen_->height_in_pixels - 1u;
        const std::uint32_t maxX = screen_->width_in_pixels - 1u;
        setCardinals(w, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL,
                     {l, r, t, b, 0, maxY, 0, maxY, 0, maxX, 0, maxX});
    } else if (command == "extents") {
        std::uint32_t l = 0, r = 0, t = 0, b = 0;
        in >> l >> r >> t >> b;
        setCardinals(w, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, {l, r, t, b});
    } else {
        return "error unknown command " + command;
    }
    return "ok";
}

void X11TestClient::configure(xcb_window_t window, std::uint16_t mask,
                              std::vector<std::uint32_t> values) {
    xcb_configure_window(c_, window, mask, values.data());
    sync();
}

void X11TestClient::setRootColor(std::uint32_t rgb) {
    xcb_change_window_attributes(c_, root(), XCB_CW_BACK_PIXEL, &rgb);
    xcb_clear_area(c_, 0, root(), 0, 0, 0, 0);
    sync();
}

void X11TestClient::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    drain();
}

std::uint32_t X11TestClient::pixel(int x, int y) {
    auto image = own(xcb_get_image_reply(c_,
                                         xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root(),
                                                       static_cast<std::int16_t>(x),
                                                       static_cast<std::int16_t>(y), 1, 1, ~0u),
                                         nullptr));
    if (!image || xcb_get_image_data_length(image.get()) < 4)
        return 0xdeadbeef;
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_image_data(image.get()), 4);
    return value & 0xffffff;
}

std::vector<xcb_window_t> X11TestClient::stacking() {
    auto tree = own(xcb_query_tree_reply(c_, xcb_query_tree(c_, root()), nullptr));
    if (!tree)
        return {};
    const auto* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

int X11TestClient::stackIndex(xcb_window_t window) {
    const auto order = stacking();
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i] == window)
            return static_cast<int>(i);
    return -1;
}

void X11TestClient::selectShape(xcb_window_t window) {
    xcb_shape_select_input(c_, window, 1);
    sync();
}

void X11TestClient::drain() {
    while (auto* event = xcb_poll_for_event(c_)) {
        const std::uint8_t type = event->response_type & 0x7f;
        if (shapeBase_ != 0 && type == shapeBase_ + XCB_SHAPE_NOTIFY) {
            const auto* shape = reinterpret_cast<xcb_shape_notify_event_t*>(event);
            if (shape->shape_kind == XCB_SHAPE_SK_BOUNDING)
                ++shapeNotifies_;
        } else {
            events_.push_back(type);
        }
        std::free(event);
    }
}

int X11TestClient::shapeNotifies() {
    sync();
    return shapeNotifies_;
}

std::vector<std::uint8_t> X11TestClient::pendingEventTypes() {
    sync();
    return std::exchange(events_, {});
}

} // namespace morvanta::testing
