#include "app/desktop/desktop_backend.h"

namespace morvanta {

ControllerDevices DesktopBackend::controllerDevices(RunLoop& loop) {
    ControllerDevices devices;
    devices.border = makeBorderOverlay();
    devices.mouse = makeMouseMonitor();
    devices.frameTimer = makeFrameTimer(loop);
    return devices;
}

RunLoop::TaskID DesktopBackend::deliverEvents(RunLoop& loop) {
    const int descriptor = windowSystem().eventDescriptor();
    if (descriptor < 0)
        return 0;
    return loop.watch(descriptor, [this] { windowSystem().dispatchPending(); });
}

} // namespace morvanta
