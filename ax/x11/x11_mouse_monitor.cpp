#include "ax/x11/x11_mouse_monitor.h"

#include "ax/x11/x11_connection.h"

#include <xcb/xinput.h>

namespace morvanta {

namespace {

constexpr std::uint32_t leftButton = 1;

} // namespace

std::unique_ptr<X11MouseMonitor>
X11MouseMonitor::create(std::shared_ptr<X11Connection> connection) {
    if (!connection || connection->broken())
        return nullptr;
    const auto* xi = xcb_get_extension_data(connection->raw(), &xcb_input_id);
    if (!xi || !xi->present)
        return nullptr;
    auto version = connection->reply<xcb_input_xi_query_version_reply_t>(
        xcb_input_xi_query_version(connection->raw(), 2, 2).sequence, connection->deadline());
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 2))
        return nullptr;
    return std::unique_ptr<X11MouseMonitor>(
        new X11MouseMonitor(std::move(connection), xi->major_opcode));
}

X11MouseMonitor::X11MouseMonitor(std::shared_ptr<X11Connection> connection, std::uint8_t opcode)
    : connection_(std::move(connection)), opcode_(opcode) {
    handler_ = connection_->addHandler([this](const xcb_generic_event_t& event) { handle(event); });
}

X11MouseMonitor::~X11MouseMonitor() {
    connection_->removeHandler(handler_);
    if (isWatching())
        select(false, false);
}

void X11MouseMonitor::select(bool watching, bool motion) {
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, 0};
    if (watching)
        mask.bits =
            XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
    if (watching && motion)
        mask.bits |= XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
    if (watching && !motion) {
        // Starting (or ending a press): once this returns the server reports every click.
        connection_->check({xcb_input_xi_select_events_checked(connection_->raw(),
                                                               connection_->root(), 1, &mask.head)},
                           connection_->deadline());
        return;
    }
    xcb_input_xi_select_events(connection_->raw(), connection_->root(), 1, &mask.head);
    connection_->flush();
}

void X11MouseMonitor::setWatching(bool watching) {
    if (!watching)
        leftHeld_ = false;
    select(watching, leftHeld_);
}

Point X11MouseMonitor::location() {
    auto pointer = connection_->reply<xcb_query_pointer_reply_t>(
        xcb_query_pointer(connection_->raw(), connection_->root()).sequence,
        connection_->deadline());
    if (pointer)
        last_ = {static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)};
    return last_;
}

void X11MouseMonitor::handle(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC || !isWatching())
        return;
    const auto& ge = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (ge.extension != opcode_)
        return;
    if (ge.event_type == XCB_INPUT_RAW_MOTION) {
        if (leftHeld_)
            deliver(MouseEvent::leftDragged);
        return;
    }
    if (ge.event_type != XCB_INPUT_RAW_BUTTON_PRESS &&
        ge.event_type != XCB_INPUT_RAW_BUTTON_RELEASE)
        return;
    const auto& button = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
    if (button.detail != leftButton)
        return;
    const bool pressed = ge.event_type == XCB_INPUT_RAW_BUTTON_PRESS;
    if (pressed != leftHeld_) {
        leftHeld_ = pressed;
        select(true, pressed);
    }
    deliver(pressed ? MouseEvent::leftDown : MouseEvent::leftUp);
}

} // namespace morvanta
