// CommandLine: what the arguments of `morvanta` ask for. No arguments: the normal run.
#pragma once

#include <string>
#include <vector>

namespace morvanta {

struct CommandLine {
    enum class Mode { run, selfTest, rescue, help, version, invalid };

    Mode mode = Mode::run;
    // For an invalid command line: what was wrong, for standard error.
    std::string error;

    // `arguments` without the program name.
    static CommandLine parse(const std::vector<std::string>& arguments);
    static std::string helpText();
};

} // namespace morvanta
