#include "bench/outside/outside_client.h"

#include <cstdlib>
#include <poll.h>
#include <string_view>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace morvanta::bench {

namespace {
constexpr std::uint32_t altSymbol = 0xffe9; // Alt_L
} // namespace

OutsideClient::OutsideClient(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c_)) {
        xcb_disconnect(c_);
        c_ = nullptr;
        return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    alt_ = keycodeOf(altSymbol);
}

OutsideClient::~OutsideClient() {
    if (c_)
        xcb_disconnect(c_);
}

std::uint8_t OutsideClient::keycodeOf(std::uint32_t symbol) {
    const auto* setup = xcb_get_setup(c_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* reply = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    std::uint8_t found = 0;
    if (reply) {
        const auto* symbols = xcb_get_keyboard_mapping_keysyms(reply);
        const int perKey = reply->keysyms_per_keycode;
        for (int k = 0; k < count && !found; ++k)
            for (int i = 0; i < perKey && !found; ++i)
                if (symbols[k * perKey + i] == symbol)
                    found = static_cast<std::uint8_t>(setup->min_keycode + k);
        free(reply);
    }
    return found;
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

void OutsideClient::pressAlt(std::uint32_t symbol) {
    const std::uint8_t key = keycodeOf(symbol);
    xcb_test_fake_input(c_, XCB_KEY_PRESS, alt_, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, alt_, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c_);
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
