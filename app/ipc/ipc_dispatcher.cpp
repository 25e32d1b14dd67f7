#include "app/ipc/ipc_dispatcher.h"

#include "app/ipc/ipc_reply.h"
#include "app/ipc/ipc_request.h"
#include "core/workspace_numbers.h"

#include <optional>

namespace morvanta {

namespace {

// "1" … "9" and a letter "A" … "Z" (either case); none for anything else.
std::optional<int> workspaceNumber(const std::string& label) {
    if (label.size() != 1)
        return std::nullopt;
    if (label[0] >= '1' && label[0] <= '9')
        return label[0] - '0';
    if ((label[0] >= 'a' && label[0] <= 'z') || (label[0] >= 'A' && label[0] <= 'Z'))
        return letterWorkspaceNumber(label);
    return std::nullopt;
}

std::string layoutNames() {
    std::string names;
    for (const LayoutKind kind : {LayoutKind::columns, LayoutKind::rows, LayoutKind::mainStack,
                                  LayoutKind::grid, LayoutKind::monocle})
        names += (names.empty() ? "" : ", ") + std::string(rawValue(kind));
    return names;
}

} // namespace

std::string IpcDispatcher::tooLongReply() {
    return IpcReply::error(IpcReply::badRequest, "request longer than " +
                                                     std::to_string(IpcRequest::maxLineBytes) +
                                                     " bytes");
}

IpcOutcome IpcDispatcher::handle(std::string_view line) {
    const auto parsed = IpcRequest::parse(line);
    if (!parsed.request) {
        if (parsed.unknownCommand)
            return {IpcReply::error(IpcReply::unknownCommand, parsed.error)};
        return {IpcReply::error(IpcReply::badRequest, parsed.error), true};
    }
    const auto& request = *parsed.request;
    const std::string argument = request.argument.value_or("");
    if (request.command == "state")
        return {IpcReply::ok(target_.state().toJson())};
    if (request.command == "actions")
        return {IpcReply::ok(target_.actionNames())};
    if (request.command == "run")
        return {runAction(argument)};
    if (request.command == "workspace" || request.command == "move-window")
        return {showWorkspace(argument, request.command == "move-window")};
    if (request.command == "layout")
        return {setLayout(argument)};
    if (request.command == "pause")
        return {setPaused(argument)};
    return {IpcReply::ok(), false, true}; // subscribe, the last command there is
}

std::string IpcDispatcher::runAction(const std::string& name) {
    return answer(target_.runAction(name), name);
}

std::string IpcDispatcher::showWorkspace(const std::string& label, bool moveWindow) {
    const auto number = workspaceNumber(label);
    if (!number)
        return IpcReply::error(IpcReply::unknownWorkspace,
                               "unknown workspace '" + label + "' (1-9 or a letter workspace)");
    return answer(moveWindow ? target_.moveFocusedWindow(*number) : target_.showWorkspace(*number),
                  workspaceLabel(*number));
}

std::string IpcDispatcher::setLayout(const std::string& name) {
    const auto kind = layoutKindFromRaw(name);
    if (!kind)
        return IpcReply::error(IpcReply::unknownLayout,
                               "unknown layout '" + name + "' (" + layoutNames() + ")");
    return answer(target_.setLayout(*kind), name);
}

std::string IpcDispatcher::setPaused(const std::string& value) {
    const bool paused = value == "toggle" ? !target_.paused() : value == "on";
    return answer(target_.setPaused(paused), value);
}

std::string IpcDispatcher::answer(IpcTarget::Result result, const std::string& subject) {
    switch (result) {
    case IpcTarget::Result::done:
        return IpcReply::ok();
    case IpcTarget::Result::unknownAction:
        return IpcReply::error(IpcReply::unknownAction, "unknown action '" + subject +
                                                            "'; 'morvanta msg actions' lists them");
    case IpcTarget::Result::unknownWorkspace:
        return IpcReply::error(IpcReply::unknownWorkspace,
                               "workspace " + subject + " does not exist");
    case IpcTarget::Result::noFocusedWindow:
        return IpcReply::error(IpcReply::refused, "no tiled window has the focus");
    }
    return IpcReply::error(IpcReply::refused, "refused");
}

} // namespace morvanta
