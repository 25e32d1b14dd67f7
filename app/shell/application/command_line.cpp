#include "app/shell/application/command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace morvanta {

namespace {

// How Qt reads one of its options: alone, with the next argument as its value, or also with
// the value attached after "=".
enum class Form { flag, value, valueOrAttached };

struct QtOption {
    std::string_view name;
    Form form;
};

// The options QApplication, QGuiApplication and the xcb platform take out of the command line
// (Qt accepts each with one dash or two).
constexpr std::array qtOptions{
    QtOption{"style", Form::valueOrAttached},
    QtOption{"stylesheet", Form::valueOrAttached},
    QtOption{"widgetcount", Form::flag},
    QtOption{"platform", Form::value},
    QtOption{"platformpluginpath", Form::value},
    QtOption{"platformtheme", Form::value},
    QtOption{"plugin", Form::valueOrAttached},
    QtOption{"qwindowgeometry", Form::value},
    QtOption{"qwindowicon", Form::value},
    QtOption{"qwindowtitle", Form::value},
    QtOption{"reverse", Form::flag},
    QtOption{"session", Form::valueOrAttached},
    QtOption{"testability", Form::flag},
    QtOption{"qmljsdebugger", Form::valueOrAttached},
    QtOption{"display", Form::value},
    QtOption{"geometry", Form::value},
    QtOption{"title", Form::value},
    QtOption{"icon", Form::value},
    QtOption{"name", Form::value},
    QtOption{"sync", Form::flag},
};

const QtOption* findQtOption(std::string_view name) {
    const auto found = std::ranges::find(qtOptions, name, &QtOption::name);
    return found == qtOptions.end() ? nullptr : &*found;
}

// "-name" or "--name" without the dashes; empty for anything else.
std::string_view withoutDashes(std::string_view argument) {
    if (argument.starts_with("--"))
        argument.remove_prefix(2);
    else if (argument.starts_with("-"))
        argument.remove_prefix(1);
    else
        return {};
    return argument;
}

CommandLine invalid(const std::string& message) {
    CommandLine line;
    line.mode = CommandLine::Mode::invalid;
    line.error = "morvanta: " + message + "; try 'morvanta --help'.";
    return line;
}

CommandLine::Mode ownMode(const std::string& option) {
    using Mode = CommandLine::Mode;
    if (option == "--help" || option == "-h")
        return Mode::help;
    if (option == "--version")
        return Mode::version;
    if (option == "--self-test")
        return Mode::selfTest;
    if (option == "--rescue")
        return Mode::rescue;
    return Mode::invalid;
}

} // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    std::optional<std::string> display;
    std::vector<std::string> own;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view name = withoutDashes(arguments[i]);
        const auto equals = name.find('=');
        if (const QtOption* option = findQtOption(name.substr(0, equals))) {
            if (equals != std::string_view::npos) {
                if (option->form != Form::valueOrAttached)
                    return invalid("unknown option '" + arguments[i] + "'");
                continue;
            }
            if (option->form == Form::flag)
                continue;
            if (i + 1 == arguments.size())
                return invalid("option '" + arguments[i] + "' needs a value");
            if (option->name == "display")
                display = arguments[i + 1];
            ++i;
            continue;
        }
        if (arguments[i] == "msg" && own.empty()) {
            CommandLine line;
            line.mode = Mode::msg;
            line.display = display;
            line.msgArguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                     arguments.end());
            return line;
        }
        own.push_back(arguments[i]);
    }
    if (own.size() > 1)
        return invalid("give at most one option");
    CommandLine line;
    line.display = display;
    if (own.empty())
        return line;
    line.mode = ownMode(own.front());
    if (line.mode == Mode::invalid)
        return invalid("unknown option '" + own.front() + "'");
    return line;
}

std::string CommandLine::helpText() {
    return "Usage: morvanta [OPTION] [QT OPTION]...\n"
           "       morvanta msg COMMAND [ARGUMENT]\n"
           "Tiles the windows of an X11 desktop into workspaces.\n"
           "\n"
           "Without an option Morvanta starts tiling the display named by $DISPLAY. When it\n"
           "already runs there, it opens the running Morvanta's window and exits.\n"
           "\n"
           "  msg COMMAND [ARGUMENT]\n"
           "              drive or watch the Morvanta running on this display:\n"
           "                state                print the state as one JSON object\n"
           "                actions              print every action name, one per line\n"
           "                run NAME             run a shortcut action (see 'actions')\n"
           "                workspace N          show workspace N (1-9, A-Z)\n"
           "                move-window N        move the focused window to workspace N\n"
           "                layout NAME          columns, rows, mainStack, grid or monocle\n"
           "                pause on|off|toggle  pause or resume tiling\n"
           "                subscribe            print a JSON line for every change\n"
           "              exit status 0 on success, 1 on a failure, 2 on a usage error\n"
           "  --self-test run the scripted self-test on this display with its own settings,\n"
           "              print its log and exit (0 when no check failed)\n"
           "  --rescue    bring back every window an ended Morvanta left hidden, then exit\n"
           "  --version   print the version and exit\n"
           "  -h, --help  print this help and exit\n"
           "\n"
           "Qt's standard options (-platform, -style, -stylesheet, -geometry, -session, ...) are\n"
           "passed to Qt; -display DISPLAY also names the display Morvanta tiles.\n"
           "\n"
           "SIGTERM and SIGINT quit Morvanta the ordinary way: hidden windows come back.\n"
           "Log: $XDG_STATE_HOME/morvanta/Morvanta.log. See morvanta(1).\n";
}

} // namespace morvanta
