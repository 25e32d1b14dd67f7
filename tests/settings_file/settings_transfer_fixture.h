// The controller on the fake desktop with the shortcut actions attached, as in the shortcut
// tests, plus the settings transfer over them, a fixed export time and a scratch folder.
#pragma once

#include "app/commands/settings_transfer.h"
#include "tests/commands/shortcut_actions_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace morvanta::testing {

class SettingsTransferTest : public ShortcutActionsTest {
protected:
    // 2025-03-01T09:30:00Z
    static constexpr std::chrono::sys_seconds exportTime{std::chrono::seconds{1740821400}};

    SettingsTransferTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvanta-sf-XXXXXX");
        folder = ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : "";
        launch();
        transfer = std::make_unique<SettingsTransfer>(settings, *controller, *actions, log, "1.2.3",
                                                      [] { return exportTime; });
    }
    ~SettingsTransferTest() override {
        transfer.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path file(const std::string& name) const { return folder / name; }

    static std::string contents(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void write(const std::filesystem::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    // The whole preferences domain: settings and shortcut bindings alike.
    PreferenceValue::Dictionary snapshot() const { return domain.values(); }

    std::filesystem::path folder;
    std::unique_ptr<SettingsTransfer> transfer;
};

} // namespace morvanta::testing
