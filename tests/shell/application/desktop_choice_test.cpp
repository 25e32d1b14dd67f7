// The backend Morvanta chooses from the session's variables: MORVANTA_BACKEND decides when set
// (and a value that names no backend is an error, not a guess); otherwise a Wayland session is
// KWin's and every other session X11's, Plasma's X11 session included.
#include "app/shell/application/desktop_choice.h"

#include <gtest/gtest.h>
#include <map>

namespace morvanta {
namespace {

using Backend = DesktopChoice::Backend;

DesktopChoice choose(const std::map<std::string, std::string>& variables) {
    return DesktopChoice::fromEnvironment([&](const std::string& name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    });
}

TEST(DesktopChoiceTest, TheSessionDecidesUnlessTheVariableNamesABackend) {
    const struct {
        std::map<std::string, std::string> variables;
        Backend backend;
        bool named;
    } cases[] = {
        {{{"DISPLAY", ":0"}}, Backend::x11, false},
        {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}, {"XDG_CURRENT_DESKTOP", "KDE"}},
         Backend::x11,
         false},
        {{{"DISPLAY", ":1"}, {"WAYLAND_DISPLAY", "wayland-0"}}, Backend::kwin, false},
        // A Wayland session whose variables lost WAYLAND_DISPLAY (a launcher's environment).
        {{{"XDG_SESSION_TYPE", "wayland"}}, Backend::kwin, false},
        {{{"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", "tty"}}, Backend::x11, false},
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"MORVANTA_BACKEND", "x11"}}, Backend::x11, true},
        {{{"DISPLAY", ":0"}, {"MORVANTA_BACKEND", "kwin"}}, Backend::kwin, true},
        // Set but empty counts as unset.
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"MORVANTA_BACKEND", ""}}, Backend::kwin, false},
    };
    for (const auto& c : cases) {
        const auto choice = choose(c.variables);
        EXPECT_TRUE(choice.error.empty()) << choice.error;
        EXPECT_EQ(choice.backend, c.backend) << ::testing::PrintToString(c.variables);
        EXPECT_EQ(choice.named, c.named) << ::testing::PrintToString(c.variables);
    }
    for (const std::string wrong : {"X11", "wayland", "kwin ", "gnome"}) {
        const auto choice = choose({{"WAYLAND_DISPLAY", "wayland-0"}, {"MORVANTA_BACKEND", wrong}});
        EXPECT_NE(choice.error.find("MORVANTA_BACKEND=\"" + wrong + "\""), std::string::npos)
            << choice.error;
    }
}

} // namespace
} // namespace morvanta
