// KWinDesktopBackend: the desktop of a KDE Plasma session, where a KWin script does the window
// work on Morvanta's behalf (docs/kwin-bridge.md): the KWin window system over the session-bus
// channel, which loads the script at start and unloads it when the backend goes, and a frame
// timer at 60 Hz (the script reports no refresh rate). Its header names no sd-bus type, so the
// shell that opens it stays free of D-Bus.
// Global hot keys are KDE's global shortcuts (kglobalaccel, shortcuts/kwin/), listed in Plasma's
// shortcut settings under Morvanta.
#pragma once

#include "app/desktop/desktop_backend.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace morvanta {

class KWinWindowSystem;
class SdBusKWinChannel;

struct KWinDesktopOptions {
    // The bridge script KWin loads.
    std::filesystem::path scriptPath;
    // The parking marks' state file.
    std::filesystem::path stateFile;
    // How long open() waits for the script's hello when KWin is on the bus.
    std::chrono::milliseconds helloDeadline{5000};
};

class KWinDesktopBackend : public DesktopBackend {
public:
    // Names another script file than the installed one (tests, a build run in place).
    static constexpr const char* scriptVariable = "MORVANTA_KWIN_SCRIPT";

    // The file scriptVariable names, else the script installed beside the program:
    // <bindir>/../share/morvanta/kwin/morvanta-bridge.js.
    static std::filesystem::path installedScriptPath();

    // The KWin desktop on the session bus; none, with `error` set, when the script file is
    // missing or the bus cannot be reached. When KWin is on the bus it waits (up to the
    // options' deadline) for the script's hello, so the program starts in control of the
    // windows; KWin absent or silent leaves the backend waiting for it.
    static std::unique_ptr<KWinDesktopBackend> open(const KWinDesktopOptions& options,
                                                    std::string& error);
    // Ends the window system, then the channel, which unloads the script.
    ~KWinDesktopBackend() override;
    KWinDesktopBackend(const KWinDesktopBackend&) = delete;
    KWinDesktopBackend& operator=(const KWinDesktopBackend&) = delete;

    WindowSystem& windowSystem() override;
    // The ring is drawn in the shell's surface and placed by the script; none before one is set.
    std::unique_ptr<BorderOverlay> makeBorderOverlay() override;
    bool needsBorderSurface() const override { return true; }
    void setBorderSurface(BorderSurface* surface) override { borderSurface_ = surface; }
    OwnWindowPlacer* ownWindowPlacer() override { return placer_.get(); }
    // The user's moves and resizes, as the script reports them, stand in for the mouse.
    std::unique_ptr<MouseMonitor> makeMouseMonitor() override;
    std::unique_ptr<FrameTimer> makeFrameTimer(RunLoop& loop) override;
    std::unique_ptr<GlobalHotKeys> makeHotKeys() override;
    std::optional<std::string> tilingWindowManager() override { return std::nullopt; }
    void setLog(LogSink sink) override;

    // Whether KWin owned its name on the session bus when the backend opened.
    bool kwinPresent() const { return kwinPresent_; }
    // Whether a script instance has said hello and is still heard.
    bool live();
    // The lines the backend wrote before it had a sink (kept until the first one takes them).
    const std::vector<std::string>& earlyLines() const { return early_; }

private:
    KWinDesktopBackend() = default;
    void write(const std::string& line);
    // Dispatches the script's messages until its hello or the deadline.
    bool waitForHello(std::chrono::milliseconds deadline);

    LogSink sink_;
    std::vector<std::string> early_;
    bool kwinPresent_ = false;
    // The system talks through the channel: it goes first.
    std::unique_ptr<SdBusKWinChannel> channel_;
    std::unique_ptr<KWinWindowSystem> system_;
    std::unique_ptr<OwnWindowPlacer> placer_;
    BorderSurface* borderSurface_ = nullptr;
};

} // namespace morvanta
