// The command panel over the fake desktop's controller, with a desktop entry (name and icon) for
// the editor in the private data folder and a stand-in for the hot-key service's printed forms.
#pragma once

#include "app/commands/command_panel_controller.h"
#include "tests/support/fake_desktop_controller.h"
#include "tests/support/gui_application.h"

#include <QImage>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace morvanta::testing {

class PanelTest : public FakeDesktopControllerTest {
protected:
    PanelTest() {
        guiApplication();
        writeDesktopEntry("editor.desktop", "Name=Text Editor\nName[xx]=Other\n"
                                            "StartupWMClass=org.example.Editor\nIcon=" +
                                                iconFile().string() + "\n");
    }
    ~PanelTest() override { panel.reset(); }

    // A desktop entry in the sandbox's data folder.
    void writeDesktopEntry(const std::string& file, const std::string& body) {
        const auto folder = sandbox.data() / "applications";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / file) << "[Desktop Entry]\nType=Application\n" << body;
    }
    std::filesystem::path iconFile() {
        const auto path = sandbox.root() / "editor.png";
        if (!std::filesystem::exists(path)) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(QColor(40, 120, 220));
            image.save(QString::fromStdString(path.string()), "PNG");
        }
        return path;
    }

    CommandPanelController& makePanel() {
        PanelCallbacks callbacks;
        callbacks.showSettings = [this] { ++settingsShown; };
        callbacks.showDiagnostics = [this] { ++diagnosticsShown; };
        callbacks.quit = [this] { ++quits; };
        callbacks.shortcutText = [this](const std::string& name) { return shortcutText(name); };
        panel = std::make_unique<CommandPanelController>(
            *controller, settings, desktop.system().windowList(), loop, callbacks);
        return *panel;
    }

    // "Alt+3" for switch names, "Alt+Shift+3" for move names, a few fixed ones, else unbound.
    static std::string shortcutText(const std::string& name) {
        const std::string sw = "switchToWorkspace", mv = "moveToWorkspace";
        if (name.rfind(sw, 0) == 0 && name.size() == sw.size() + 1 && std::isdigit(name.back()))
            return "Alt+" + name.substr(sw.size());
        if (name.rfind(mv, 0) == 0 && name.size() == mv.size() + 1 && std::isdigit(name.back()))
            return "Alt+Shift+" + name.substr(mv.size());
        if (name == "previousWorkspace")
            return "Alt+Tab";
        if (name == "nextLayout")
            return "Alt+/";
        if (name == "toggleFloating")
            return "Alt+Shift+F";
        if (name == "growMain")
            return "Alt+=";
        if (name == "shrinkMain")
            return "Alt+-";
        if (name == "togglePause")
            return "Alt+Shift+P";
        return {};
    }

    static std::vector<std::string> ids(const std::vector<PanelItem>& items) {
        std::vector<std::string> out;
        for (const auto& item : items)
            out.push_back(item.id);
        return out;
    }
    static const PanelItem& item(const std::vector<PanelItem>& items, const std::string& id) {
        for (const auto& i : items)
            if (i.id == id)
                return i;
        static PanelItem none;
        ADD_FAILURE() << "no row " << id;
        return none;
    }

    std::unique_ptr<CommandPanelController> panel;
    int settingsShown = 0;
    int diagnosticsShown = 0;
    int quits = 0;
};

} // namespace morvanta::testing
