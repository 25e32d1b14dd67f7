#include "app/shell/command_line.h"

namespace morvanta {

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    if (arguments.empty())
        return line;
    if (arguments.size() > 1) {
        line.mode = Mode::invalid;
        line.error = "morvanta: give at most one option; try 'morvanta --help'.";
        return line;
    }
    const std::string& option = arguments.front();
    if (option == "--help" || option == "-h")
        line.mode = Mode::help;
    else if (option == "--version")
        line.mode = Mode::version;
    else if (option == "--self-test")
        line.mode = Mode::selfTest;
    else if (option == "--rescue")
        line.mode = Mode::rescue;
    else {
        line.mode = Mode::invalid;
        line.error = "morvanta: unknown option '" + option + "'; try 'morvanta --help'.";
    }
    return line;
}

std::string CommandLine::helpText() {
    return "Usage: morvanta [OPTION]\n"
           "Tiles the windows of an X11 desktop into workspaces.\n"
           "\n"
           "Without an option Morvanta starts tiling the display named by $DISPLAY. When it\n"
           "already runs there, it opens the running Morvanta's window and exits.\n"
           "\n"
           "  --self-test run the scripted self-test on this display with its own settings,\n"
           "              print its log and exit (0 when no check failed)\n"
           "  --rescue    bring back every window an ended Morvanta left hidden, then exit\n"
           "  --version   print the version and exit\n"
           "  -h, --help  print this help and exit\n"
           "\n"
           "SIGTERM and SIGINT quit Morvanta the ordinary way: hidden windows come back.\n"
           "Log: $XDG_STATE_HOME/morvanta/Morvanta.log. See morvanta(1).\n";
}

} // namespace morvanta
