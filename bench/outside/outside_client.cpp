#include "bench/outside/outside_client.h"

#include <cstdlib>
#include <poll.h>
#include <string_view>
#include <unistd.h>
#include <xcb/xcb.h>

namespace morvanta::bench {

OutsideClient::OutsideClient(const std::string& display) : keyboard_(display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c_)) {
        xcb_disconnect(c_);
        c_ = nullptr;
        return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
}

OutsideClient::~OutsideClient() {
    if (c_)
        xcb_disconnect(c_);
}

std::uint32_t OutsideClient::open(int index) {
    const std::uint32_t window = xcb_generate_id(c_);
    const std::uint32_t values[] = {0xffffff, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window, root_, 20 + 10 * index, 20 + 10 * index,
                      300, 200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const std::string title = "bench " + std::to_string(index);
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(title.size()), title.data());
    constexpr std::string_view windowClass{"bench\0Bench\0", 12};
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        windowClass.size(), windowClass.data());
    xcb_map_window(c_, window);
    xcb_flush(c_);
    return window;
}

void OutsideClient::close(std::uint32_t window) {
    xcb_destroy_window(c_, window);
    xcb_flush(c_);
}

void OutsideClient::place(std::uint32_t window, int x, int y, int width, int height) {
    const std::uint32_t values[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                    static_cast<std::uint32_t>(width),
                                    static_cast<std::uint32_t>(height)};
    xcb_configure_window(c_, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
}

void OutsideClient::flush() {
    xcb_flush(c_);
}

void OutsideClient::pressAlt(std::uint32_t symbol) {
    keyboard_.type({0xffe9 /* Alt_L */, symbol});
}

Clock::time_point OutsideClient::lastEventAfter(Clock::time_point since,
                                                std::chrono::milliseconds quiet,
                                                std::chrono::milliseconds limit) {
    auto last = since;
    const auto end = since + limit;
    while (true) {
        const auto now = Clock::now();
        const auto until = std::min(std::max(last, since) + quiet, end);
        if (now >= until)
            return last;
        pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        poll(&p, 1, static_cast<int>(wait.count()) + 1);
        while (auto* event = xcb_poll_for_event(c_)) {
            const std::uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CONFIGURE_NOTIFY || type == XCB_MAP_NOTIFY ||
                type == XCB_UNMAP_NOTIFY) {
                last = Clock::now();
                ++events_;
            }
            free(event);
        }
    }
}

} // namespace morvanta::bench
