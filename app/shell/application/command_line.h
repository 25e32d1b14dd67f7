// CommandLine: what the arguments of `morvanta` ask for. No arguments: the normal run. The
// standard options Qt takes for itself (-platform, -style, -display, -geometry, -session, …),
// which desktop launchers and session managers pass, are accepted and left to QApplication;
// everything else must be one of Morvanta's own options, at most one of them, or "msg" and the
// command for the running Morvanta that follows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvanta {

struct CommandLine {
    enum class Mode { run, selfTest, rescue, help, version, msg, invalid };

    Mode mode = Mode::run;
    // For an invalid command line: what was wrong, for standard error.
    std::string error;
    // The X display Qt's "-display" names, which Morvanta then tiles too; none when not given.
    std::optional<std::string> display;
    // For `msg`: everything after "msg", taken as it is.
    std::vector<std::string> msgArguments;

    // `arguments` without the program name.
    static CommandLine parse(const std::vector<std::string>& arguments);
    static std::string helpText();
};

} // namespace morvanta
