#include "ax/x11/x11_refresh_rate.h"

#include "ax/x11/x11_connection.h"

#include <vector>
#include <xcb/randr.h>

namespace morvanta {

double X11RefreshRate::modeHz(double dotClock, double htotal, double vtotal, bool interlaced,
                              bool doubleScan) {
    if (dotClock <= 0 || htotal <= 0 || vtotal <= 0)
        return 0;
    double hz = dotClock / (htotal * vtotal);
    if (interlaced)
        hz *= 2;
    if (doubleScan)
        hz /= 2;
    return hz;
}

double X11RefreshRate::primaryHz(X11Connection& x) {
    if (!x.hasRandr())
        return fallbackHz;
    auto* c = x.raw();
    const auto d = x.deadline();
    auto resourcesCookie = xcb_randr_get_screen_resources_current(c, x.root());
    auto primaryCookie = xcb_randr_get_output_primary(c, x.root());
    auto resources =
        x.reply<xcb_randr_get_screen_resources_current_reply_t>(resourcesCookie.sequence, d);
    auto primary = x.reply<xcb_randr_get_output_primary_reply_t>(primaryCookie.sequence, d);
    if (!resources)
        return fallbackHz;

    // The primary output's CRTC first, then every CRTC in order.
    std::vector<xcb_randr_crtc_t> crtcs;
    if (primary && primary->output != XCB_NONE) {
        auto output = x.reply<xcb_randr_get_output_info_reply_t>(
            xcb_randr_get_output_info(c, primary->output, resources->config_timestamp).sequence,
            x.deadline());
        if (output && output->crtc != XCB_NONE)
            crtcs.push_back(output->crtc);
    }
    const auto* all = xcb_randr_get_screen_resources_current_crtcs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_crtcs_length(resources.get());
    crtcs.insert(crtcs.end(), all, all + count);

    std::vector<xcb_randr_get_crtc_info_cookie_t> cookies;
    for (const auto crtc : crtcs)
        cookies.push_back(xcb_randr_get_crtc_info(c, crtc, resources->config_timestamp));
    const auto* modes = xcb_randr_get_screen_resources_current_modes(resources.get());
    const int modeCount = xcb_randr_get_screen_resources_current_modes_length(resources.get());
    double hz = 0;
    const auto d2 = x.deadline();
    for (const auto& cookie : cookies) {
        auto info = x.reply<xcb_randr_get_crtc_info_reply_t>(cookie.sequence, d2);
        if (hz > 0 || !info || info->mode == XCB_NONE)
            continue;
        for (int i = 0; i < modeCount; ++i) {
            const auto& m = modes[i];
            if (m.id != info->mode)
                continue;
            hz = modeHz(m.dot_clock, m.htotal, m.vtotal,
                        (m.mode_flags & XCB_RANDR_MODE_FLAG_INTERLACE) != 0,
                        (m.mode_flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) != 0);
        }
    }
    return hz > 0 ? hz : fallbackHz;
}

} // namespace morvanta
