// What `morvanta`'s arguments ask for: its own options, one at most, checked strictly, beside
// the standard options Qt takes for itself (with their values, in either dash form), which are
// left to Qt; "-display" also names the display Morvanta tiles.
#include "app/shell/application/command_line.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

using Mode = CommandLine::Mode;
using Arguments = std::vector<std::string>;

TEST(CommandLine, OwnOptionsAloneOrBesideQtsOptions) {
    EXPECT_EQ(CommandLine::parse({}).mode, Mode::run);
    const std::vector<std::pair<Arguments, Mode>> cases = {
        {{"--self-test"}, Mode::selfTest},
        {{"--rescue"}, Mode::rescue},
        {{"--help"}, Mode::help},
        {{"-h"}, Mode::help},
        {{"--version"}, Mode::version},
        {{"-platform", "xcb"}, Mode::run},
        {{"-style", "Fusion"}, Mode::run},
        {{"--style", "Fusion", "-reverse"}, Mode::run},
        {{"-style=Fusion", "-stylesheet=/tmp/a.qss"}, Mode::run},
        {{"-geometry", "200x100+0+0", "-qwindowgeometry", "200x100", "-widgetcount"}, Mode::run},
        {{"-session", "1234abcd", "-name", "morvanta", "-platformtheme", "gtk3"}, Mode::run},
        {{"-platform", "xcb", "--self-test"}, Mode::selfTest},
        {{"--rescue", "-style", "Fusion"}, Mode::rescue},
        {{"-stylesheet", "/tmp/a.qss", "--help", "-sync"}, Mode::help},
        {{"-platform", "offscreen", "--version"}, Mode::version},
    };
    for (const auto& [arguments, mode] : cases) {
        const auto line = CommandLine::parse(arguments);
        EXPECT_EQ(line.mode, mode) << arguments.front() << " " << line.error;
        EXPECT_EQ(line.error, "");
    }
}

TEST(CommandLine, EverythingElseIsRefused) {
    const std::vector<std::pair<Arguments, std::string>> cases = {
        {{"--tile-everything"}, "unknown option '--tile-everything'"},
        {{"-platform", "xcb", "--tile"}, "unknown option '--tile'"},
        {{"xcb"}, "unknown option 'xcb'"},
        // Qt takes these only with a value after them, or not in this form.
        {{"-style"}, "option '-style' needs a value"},
        {{"--rescue", "-platform"}, "option '-platform' needs a value"},
        {{"-platform=xcb"}, "unknown option '-platform=xcb'"},
        {{"--self-test", "--rescue"}, "give at most one option"},
        {{"--help", "-style", "Fusion", "--version"}, "give at most one option"},
    };
    for (const auto& [arguments, message] : cases) {
        const auto line = CommandLine::parse(arguments);
        EXPECT_EQ(line.mode, Mode::invalid) << arguments.front();
        EXPECT_NE(line.error.find(message), std::string::npos) << line.error;
        EXPECT_NE(line.error.find("try 'morvanta --help'"), std::string::npos) << line.error;
    }
}

TEST(CommandLine, MsgTakesEverythingAfterItAsItIs) {
    const auto line = CommandLine::parse({"-display", ":3", "msg", "run", "--help", "-style"});
    EXPECT_EQ(line.mode, Mode::msg);
    EXPECT_EQ(line.display, std::optional<std::string>(":3"));
    EXPECT_EQ(line.msgArguments, (Arguments{"run", "--help", "-style"}));
    EXPECT_TRUE(CommandLine::parse({"msg"}).msgArguments.empty());
    EXPECT_EQ(CommandLine::parse({"--rescue", "msg", "state"}).mode, Mode::invalid);
}

TEST(CommandLine, QtsDisplayOptionNamesTheDisplay) {
    EXPECT_EQ(CommandLine::parse({}).display, std::nullopt);
    EXPECT_EQ(CommandLine::parse({"-display", ":7"}).display, ":7");
    const auto line = CommandLine::parse({"--rescue", "--display", "host:3.0"});
    EXPECT_EQ(line.mode, Mode::rescue);
    EXPECT_EQ(line.display, "host:3.0");
}

} // namespace
} // namespace morvanta
