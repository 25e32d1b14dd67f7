// X11FrameMemo: the geometry of the root's children as the server's own news tells it
// (ConfigureNotify and CreateNotify through the root) and their _NET_FRAME_EXTENTS as last read.
// Without a window manager every client window is a root child and every change of its
// geometry is announced, and the server carries out Morvanta's own configure requests exactly
// as sent: such a request is remembered the moment it is sent and stands until the news of it
// (or of something later) arrives, so the frames of any number of windows are known without
// asking for each and without waiting for the server.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <xcb/xcb.h>

namespace morvanta {

class X11FrameMemo {
public:
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0, border = 0;
    };
    struct Extents {
        int left = 0, right = 0, top = 0, bottom = 0;
    };
    struct Known {
        Geometry geometry;
        Extents extents;
    };

    // The root whose children are remembered and the atom of _NET_FRAME_EXTENTS; nothing is
    // remembered before the connection has them.
    void begin(xcb_window_t root, xcb_atom_t extentsAtom) {
        root_ = root;
        extentsAtom_ = extentsAtom;
    }

    void observe(const xcb_generic_event_t& event);
    // Property news of this window reaches the connection from now on, so its extents, once
    // read, can be remembered.
    void watch(xcb_window_t window) { watched_.insert(window); }
    // Counts extents news; a reading of the extents is remembered only if none came between
    // asking and answering.
    std::uint64_t extentsNews() const { return extentsNews_; }
    void learnExtents(xcb_window_t window, const Extents& extents, std::uint64_t newsWhenAsked);

    // A configure request Morvanta sent (its sequence number) for a window whose geometry is
    // known: position and size as asked, each only when given. News the server sent before
    // carrying it out no longer tells those values; the root's news of the request itself, or
    // any event of a later request, tells they are current.
    void expect(xcb_window_t window, std::optional<int> x, std::optional<int> y,
                std::optional<int> width, std::optional<int> height, unsigned sequence);
    // Forgets every request not yet announced: one a window manager took over is never
    // carried out as sent.
    void dropExpectations() { expected_.clear(); }

    // Whether the window is a child of the root, as the news last told.
    bool isRootChild(xcb_window_t window) const { return geometries_.contains(window); }
    // Geometry and extents, when both are known.
    std::optional<Known> known(xcb_window_t window) const;

private:
    struct Expected {
        std::optional<int> x, y, width, height;
        unsigned sequence = 0;
    };
    void forget(xcb_window_t window);
    void observeConfigure(const xcb_configure_notify_event_t& event);
    void settleExpectations(std::uint16_t handled);

    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t extentsAtom_ = XCB_NONE;
    std::unordered_map<xcb_window_t, Geometry> geometries_;
    std::unordered_map<xcb_window_t, Extents> extents_;
    std::unordered_map<xcb_window_t, Expected> expected_;
    std::unordered_set<xcb_window_t> watched_;
    std::uint64_t extentsNews_ = 0;
};

} // namespace morvanta
