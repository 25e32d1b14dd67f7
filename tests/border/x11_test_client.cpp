#include "tests/border/x11_test_client.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <xcb/shape.h>
#include <xcb/xtest.h>

namespace morvanta::testing {

namespace {
template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> Reply<T> own(T* p) {
    return Reply<T>(p, &std::free);
}
} // namespace

X11TestClient::X11TestClient(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (!c_ || xcb_connection_has_error(c_))
        return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    if (const auto* shape = xcb_get_extension_data(c_, &xcb_shape_id); shape && shape->present)
        shapeBase_ = shape->first_event;
}

X11TestClient::~X11TestClient() {
    if (c_)
        xcb_disconnect(c_);
}

xcb_window_t X11TestClient::openWindow(int x, int y, int w, int h, std::uint32_t rgb, bool withPid,
                                       std::uint32_t eventMask) {
    const xcb_window_t window = xcb_generate_id(c_);
    const std::uint32_t values[] = {rgb, eventMask};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    if (withPid) {
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, 11, "_NET_WM_PID"), nullptr);
        if (atom) {
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_CARDINAL,
                                32, 1, &clientPid);
            std::free(atom);
        }
    }
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 4,
                        "test");
    xcb_map_window(c_, window);
    sync();
    return window;
}

void X11TestClient::configure(xcb_window_t window, std::uint16_t mask,
                              std::vector<std::uint32_t> values) {
    xcb_configure_window(c_, window, mask, values.data());
    sync();
}

void X11TestClient::setRootColor(std::uint32_t rgb) {
    xcb_change_window_attributes(c_, root_, XCB_CW_BACK_PIXEL, &rgb);
    xcb_clear_area(c_, 0, root_, 0, 0, 0, 0);
    sync();
}

void X11TestClient::sync() {
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    drain();
}

std::uint32_t X11TestClient::pixel(int x, int y) {
    auto image = own(xcb_get_image_reply(c_,
                                         xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_,
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
    auto tree = own(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
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

void X11TestClient::pointerTo(int x, int y) {
    xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), XCB_NONE);
    sync();
}

void X11TestClient::button(bool press) {
    xcb_test_fake_input(c_, press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME,
                        XCB_NONE, 0, 0, XCB_NONE);
    sync();
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
