// X11RefreshRate: the refresh rate of the primary display (RandR: the primary output's CRTC and
// its mode timing, else the first active CRTC), for timing per-frame work such as the focus
// border during a drag. 60 Hz when the server does not say.
#pragma once

namespace morvanta {

class X11Connection;

class X11RefreshRate {
public:
    static constexpr double fallbackHz = 60.0;

    // Frames per second; `fallbackHz` when unknown. Three round trips.
    static double primaryHz(X11Connection& connection);
    // The rate of a mode's timing: dot clock / (htotal × vtotal), doubled when interlaced and
    // halved when double-scanned; none when the timing is incomplete.
    static double modeHz(double dotClock, double htotal, double vtotal, bool interlaced,
                         bool doubleScan);
};

} // namespace morvanta
