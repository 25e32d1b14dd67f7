#include "app/commands/shortcut_actions.h"

#include "app/commands/shortcut_defaults.h"
#include "app/controller/tiling_controller.h"
#include "core/workspace_numbers.h"
#include "shortcuts/modifiers.h"

#include <map>

namespace morvanta {

namespace {
ShortcutActions::Name workspaceName(const char* prefix, int number, int modifiers) {
    const auto key = digitKeyCode(number);
    if (!key)
        return {prefix + workspaceLabel(number), std::nullopt};
    return {prefix + std::to_string(number), Shortcut{*key, modifiers}};
}
} // namespace

ShortcutActions::ShortcutActions(KeyboardShortcuts& shortcuts, AppSettings& settings)
    : shortcuts_(shortcuts), settings_(settings) {
    settings_.shortcutsEnabledFollowUp = [this](bool enabled) { setShortcutsEnabled(enabled); };
    settings_.shortcutStyleFollowUp = [this](ShortcutStyle style) { applyStyle(style); };
}

ShortcutActions::~ShortcutActions() {
    settings_.shortcutsEnabledFollowUp = nullptr;
    settings_.shortcutStyleFollowUp = nullptr;
    for (const auto& attached : attached_)
        shortcuts_.removeHandlers(Name{attached.first, std::nullopt});
}

ShortcutActions::Name ShortcutActions::switchShortcutName(int number) {
    return workspaceName(switchNamePrefix, number, carbon::option);
}

ShortcutActions::Name ShortcutActions::moveShortcutName(int number) {
    return workspaceName(moveNamePrefix, number, carbon::option | carbon::shift);
}

std::vector<ShortcutEntry> ShortcutActions::shortcutEntries() const {
    std::vector<ShortcutEntry> entries;
    const auto addGroup = [&](auto nameOf, const char* titlePrefix) {
        for (int n = 1; n <= 9; ++n)
            entries.push_back({nameOf(n), titlePrefix + std::to_string(n)});
        for (int letter : letters_)
            entries.push_back({nameOf(letter), titlePrefix + workspaceLabel(letter)});
    };
    addGroup(&ShortcutActions::switchShortcutName, switchTitlePrefix);
    addGroup(&ShortcutActions::moveShortcutName, moveTitlePrefix);
    for (const auto& fixed : fixedShortcuts())
        entries.push_back({Name{fixed.name, fixed.standard}, fixed.title});
    return entries;
}

void ShortcutActions::setShortcutsEnabled(bool enabled) {
    std::vector<Name> names;
    for (auto& entry : shortcutEntries())
        names.push_back(std::move(entry.name));
    if (enabled)
        shortcuts_.enableNames(names);
    else
        shortcuts_.disableNames(names);
}

void ShortcutActions::applyStyle(ShortcutStyle style) {
    for (const auto& entry : shortcutEntries())
        if (entry.name.initialShortcut)
            shortcuts_.storeShortcut(styled(*entry.name.initialShortcut, style), entry.name);
    for (int letter : std::vector(letters_))
        assignLetterShortcuts(letter, style);
}

bool ShortcutActions::takenByAnotherEntry(const Name& name, const Shortcut& candidate) {
    for (const auto& entry : shortcutEntries())
        if (!(entry.name == name) && shortcuts_.shortcutFor(entry.name) == candidate)
            return true;
    return false;
}

LetterShortcutsAssigned ShortcutActions::assignLetterShortcuts(int number, ShortcutStyle style) {
    const auto key = letterKeyCode(number);
    if (!key)
        return {};
    const auto assign = [&](const Name& name, int modifiers) {
        const Shortcut candidate = styled({*key, modifiers}, style);
        const bool free = !takenByAnotherEntry(name, candidate);
        shortcuts_.storeShortcut(free ? std::optional(candidate) : std::nullopt, name);
        return free;
    };
    LetterShortcutsAssigned result;
    result.switchAssigned = assign(switchShortcutName(number), carbon::option);
    result.moveAssigned = assign(moveShortcutName(number), carbon::option | carbon::shift);
    return result;
}

void ShortcutActions::clearLetterShortcuts(int number) {
    for (const auto& name : {switchShortcutName(number), moveShortcutName(number)}) {
        shortcuts_.storeShortcut(std::nullopt, name);
        detach(name);
    }
}

void ShortcutActions::attach(const Name& name, std::function<void(TilingController&)> command) {
    detach(name);
    auto run = [weak = controllerLifetime_, command] {
        if (auto* controller = weak.get())
            command(*controller);
    };
    shortcuts_.addKeyDownHandler(name, run);
    attached_[name.rawValue] = std::move(run);
}

bool ShortcutActions::perform(const std::string& name) {
    const auto found = attached_.find(name);
    if (found == attached_.end())
        return false;
    // A copy: the action may attach or detach actions (adding a letter workspace does).
    const auto run = found->second;
    run();
    return true;
}

void ShortcutActions::detach(const Name& name) {
    if (attached_.erase(name.rawValue) > 0)
        shortcuts_.removeHandlers(name);
}

void ShortcutActions::installShortcuts(TilingController& controller,
                                       std::function<void()> showCommandPanel,
                                       std::function<void()> showWorkspaceSwitcher) {
    controllerLifetime_ = controller.lifetime();
    for (int n = 1; n <= 9; ++n) {
        attach(switchShortcutName(n),
               [n](TilingController& c) { c.commands().switchToWorkspace(n); });
        attach(moveShortcutName(n),
               [n](TilingController& c) { c.commands().moveFocusedWindow(n); });
    }
    for (int letter : letters_)
        registerLetterHandlers(letter);

    using Command = std::function<void(TilingController&)>;
    const auto direction = [](void (ControllerCommands::*command)(Direction), Direction d) {
        return Command([command, d](TilingController& c) { (c.commands().*command)(d); });
    };
    const auto callback = [](std::function<void()> show) {
        return Command([show = std::move(show)](TilingController&) {
            if (show)
                show();
        });
    };
    const std::map<std::string, Command> commands = {
        {"previousWorkspace", [](TilingController& c) { c.commands().previousWorkspace(); }},
        {"focusLeft", direction(&ControllerCommands::focusNeighbour, Direction::left)},
        {"focusRight", direction(&ControllerCommands::focusNeighbour, Direction::right)},
        {"focusUp", direction(&ControllerCommands::focusNeighbour, Direction::up)},
        {"focusDown", direction(&ControllerCommands::focusNeighbour, Direction::down)},
        {"swapLeft", direction(&ControllerCommands::swapWithNeighbour, Direction::left)},
        {"swapRight", direction(&ControllerCommands::swapWithNeighbour, Direction::right)},
        {"swapUp", direction(&ControllerCommands::swapWithNeighbour, Direction::up)},
        {"swapDown", direction(&ControllerCommands::swapWithNeighbour, Direction::down)},
        {"nextLayout", [](TilingController& c) { c.commands().cycleLayout(); }},
        {"toggleFloating", [](TilingController& c) { c.commands().toggleFloat(); }},
        {"growMain", [](TilingController& c) { c.commands().adjustMainRatio(+0.05); }},
        {"shrinkMain", [](TilingController& c) { c.commands().adjustMainRatio(-0.05); }},
        {"commandPalette", callback(std::move(showCommandPanel))},
        {"workspaceSwitcher", callback(std::move(showWorkspaceSwitcher))},
        {"togglePause", [](TilingController& c) { c.commands().setPaused(!c.isPaused().get()); }},
    };
    for (const auto& fixed : fixedShortcuts()) {
        const auto command = commands.find(fixed.name);
        if (command != commands.end())
            attach(Name{fixed.name, fixed.standard}, command->second);
    }
}

void ShortcutActions::registerLetterHandlers(int number) {
    // Before installShortcuts there is no controller to attach to; it attaches every letter.
    if (controllerLifetime_.expired() || !isLetterWorkspace(number))
        return;
    attach(switchShortcutName(number),
           [number](TilingController& c) { c.commands().switchToWorkspace(number); });
    attach(moveShortcutName(number),
           [number](TilingController& c) { c.commands().moveFocusedWindow(number); });
}

void ShortcutActions::setLetterShortcutWorkspaces(const std::vector<int>& numbers) {
    letters_ = numbers;
}

} // namespace morvanta
