#include "ax/x11/x11_border_overlay.h"

#include "ax/border_ring.h"
#include "ax/x11/x11_connection.h"
#include "ax/x11/x11_window_system.h"

#include <bit>
#include <cmath>
#include <string_view>
#include <unistd.h>
#include <vector>
#include <xcb/shape.h>

namespace morvanta {

namespace {

bool hasInputShapes(X11Connection& x) {
    const auto* shape = xcb_get_extension_data(x.raw(), &xcb_shape_id);
    if (!shape || !shape->present)
        return false;
    auto version = x.reply<xcb_shape_query_version_reply_t>(
        xcb_shape_query_version(x.raw()).sequence, x.deadline());
    return version && (version->major_version > 1 ||
                       (version->major_version == 1 && version->minor_version >= 1));
}

std::uint32_t toMask(std::uint32_t mask, double channel) {
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t max = mask >> shift;
    return (BorderColor::scaled(channel, max) << shift) & mask;
}

std::int16_t coordinate(double v) {
    return static_cast<std::int16_t>(std::lround(v));
}

// X windows cannot be empty; an empty panel keeps one pixel and an empty shape.
std::uint16_t extent(double v) {
    return static_cast<std::uint16_t>(std::max(1L, std::lround(v)));
}

} // namespace

std::unique_ptr<X11BorderOverlay>
X11BorderOverlay::create(std::shared_ptr<X11Connection> connection, WindowNumbers& numbers) {
    if (!connection || connection->broken() || !hasInputShapes(*connection))
        return nullptr;
    return std::unique_ptr<X11BorderOverlay>(new X11BorderOverlay(std::move(connection), numbers));
}

std::unique_ptr<X11BorderOverlay> X11BorderOverlay::create(X11WindowSystem& system) {
    return create(system.sharedConnection(), system.windowNumbers());
}

X11BorderOverlay::X11BorderOverlay(std::shared_ptr<X11Connection> connection,
                                   WindowNumbers& numbers)
    : BorderOverlay(numbers), connection_(std::move(connection)) {
    createWindow();
    handler_ = connection_->addHandler([this](const xcb_generic_event_t& event) { handle(event); });
}

X11BorderOverlay::~X11BorderOverlay() {
    connection_->removeHandler(handler_);
    xcb_destroy_window(connection_->raw(), window_);
    connection_->flush();
}

void X11BorderOverlay::createWindow() {
    auto* c = connection_->raw();
    const auto& screen = connection_->screen();
    for (auto depth = xcb_screen_allowed_depths_iterator(&screen); depth.rem;
         xcb_depth_next(&depth))
        for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
             xcb_visualtype_next(&visual))
            if (visual.data->visual_id == screen.root_visual) {
                redMask_ = visual.data->red_mask;
                greenMask_ = visual.data->green_mask;
                blueMask_ = visual.data->blue_mask;
            }

    window_ = xcb_generate_id(c);
    const std::uint32_t values[] = {pixel(color()), 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, connection_->root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    // Nothing shows until the first ring is drawn; nothing ever takes input.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                         window_, 0, 0, 0, nullptr);
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         window_, 0, 0, 0, nullptr);

    // Marked as Morvanta's own, and typed as a drag-and-drop icon: compositors give such
    // windows no shadow and no open or close animation, which suits a ring that moves every
    // frame.
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, connection_->atom(X11Atom::_NET_WM_PID),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    const xcb_atom_t type = connection_->atom(X11Atom::_NET_WM_WINDOW_TYPE_DND);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_,
                        connection_->atom(X11Atom::_NET_WM_WINDOW_TYPE), XCB_ATOM_ATOM, 32, 1,
                        &type);
    constexpr std::string_view windowClass{"morvanta\0Morvanta\0", 18};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        windowClass.size(), windowClass.data());
    constexpr std::string_view name{"Morvanta focus border"};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        name.size(), name.data());
    connection_->flush();
}

std::uint32_t X11BorderOverlay::pixel(const BorderColor& color) const {
    return toMask(redMask_, color.red) | toMask(greenMask_, color.green) |
           toMask(blueMask_, color.blue);
}

void X11BorderOverlay::placePanel(const Rect& frame) {
    const std::uint32_t values[] = {static_cast<std::uint32_t>(coordinate(frame.x)),
                                    static_cast<std::uint32_t>(coordinate(frame.y)),
                                    extent(frame.width), extent(frame.height)};
    xcb_configure_window(connection_->raw(), window_,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    connection_->flush();
}

void X11BorderOverlay::drawRing(const Size& size) {
    auto* c = connection_->raw();
    const auto ring =
        BorderRing::rectangles(static_cast<int>(std::lround(size.width)),
                               static_cast<int>(std::lround(size.height)), width(), cornerRadius());
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(ring.size());
    for (const auto& r : ring)
        rects.push_back({static_cast<std::int16_t>(r.x), static_cast<std::int16_t>(r.y),
                         static_cast<std::uint16_t>(r.width),
                         static_cast<std::uint16_t>(r.height)});
    // UNSORTED: the ring's rectangles are not in the server's YX-banded order, and a wrong
    // ordering claim makes the request fail, leaving a solid block.
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                         window_, 0, 0, static_cast<std::uint32_t>(rects.size()), rects.data());
    const std::uint32_t background = pixel(color());
    xcb_change_window_attributes(c, window_, XCB_CW_BACK_PIXEL, &background);
    xcb_clear_area(c, 0, window_, 0, 0, 0, 0);
    connection_->flush();
    ++ringRebuilds_;
}

void X11BorderOverlay::orderAbove(std::uint32_t number) {
    above_ = number;
    belowTarget_.reset();
    // A frame window is a sibling of the panel; a client window inside a frame is not, and the
    // server would refuse it (BadMatch), which the window-number lookup rules out.
    const std::uint32_t values[] = {number, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_->raw(), window_,
                         XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    if (!mapped_)
        xcb_map_window(connection_->raw(), window_);
    mapped_ = true;
    connection_->flush();
}

void X11BorderOverlay::orderFront() {
    above_.reset();
    const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
    xcb_configure_window(connection_->raw(), window_, XCB_CONFIG_WINDOW_STACK_MODE, values);
    if (!mapped_)
        xcb_map_window(connection_->raw(), window_);
    mapped_ = true;
    connection_->flush();
}

void X11BorderOverlay::orderOut() {
    if (!mapped_)
        return;
    xcb_unmap_window(connection_->raw(), window_);
    mapped_ = false;
    connection_->flush();
}

void X11BorderOverlay::restack() {
    if (above_)
        orderAbove(*above_);
    else
        orderFront();
}

void X11BorderOverlay::handle(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7f;
    if (type == XCB_DESTROY_NOTIFY) {
        const auto& d = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        forgetNumber(d.window);
        if (above_ == d.window)
            above_.reset(); // float until the next show finds the new frame
        return;
    }
    if (!mapped_)
        return;
    if (type == XCB_CONFIGURE_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.event != connection_->root())
            return;
        bool needed = false;
        if (e.window == window_)
            needed = above_ && e.above_sibling != *above_; // someone moved the panel
        else if (!above_)
            needed = e.above_sibling == window_; // a window rose above the floating panel
        else if (e.window == *above_) {
            // The target moved (same sibling below it) or was restacked (a new one, or the
            // first news since the panel was stacked on it).
            needed = !belowTarget_ || e.above_sibling != *belowTarget_;
            belowTarget_ = e.above_sibling;
        } else
            needed = e.above_sibling == *above_; // a window came between target and panel
        if (needed)
            restack();
    } else if (type == XCB_CIRCULATE_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_circulate_notify_event_t&>(event);
        if (e.event == connection_->root() && e.window != window_)
            restack();
    } else if (type == XCB_MAP_NOTIFY) {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (e.event == connection_->root() && e.window != window_ && !above_)
            restack(); // a new window opens on top of the floating panel
    }
}

} // namespace morvanta
