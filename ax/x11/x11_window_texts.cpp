#include "ax/x11/x11_window_texts.h"

#include "ax/x11/x11_window_facts.h"

namespace morvanta {

namespace {

std::optional<std::string> classNameOf(const xcb_get_property_reply_t* reply) {
    const auto text = propertyText(reply);
    if (!text)
        return std::nullopt;
    // "instance\0class\0": the class names the application.
    const auto firstEnd = text->find('\0');
    if (firstEnd == std::string::npos)
        return std::nullopt;
    std::string name = text->substr(firstEnd + 1);
    if (const auto end = name.find('\0'); end != std::string::npos)
        name.resize(end);
    if (name.empty())
        return std::nullopt;
    return name;
}

} // namespace

X11WindowTextsRequest::X11WindowTextsRequest(X11Connection& connection, xcb_window_t window)
    : connection_(connection) {
    netName_ = connection_.getProperty(window, X11Atom::_NET_WM_NAME,
                                       connection_.atom(X11Atom::UTF8_STRING), 4096);
    name_ = connection_.getProperty(window, X11Atom::WM_NAME, XCB_ATOM_ANY, 4096);
    class_ = connection_.getProperty(window, X11Atom::WM_CLASS, XCB_ATOM_STRING, 1024);
}

X11WindowTexts X11WindowTextsRequest::collect(X11Connection::Deadline deadline) {
    auto netName = connection_.reply<xcb_get_property_reply_t>(netName_.sequence, deadline);
    auto name = connection_.reply<xcb_get_property_reply_t>(name_.sequence, deadline);
    auto klass = connection_.reply<xcb_get_property_reply_t>(class_.sequence, deadline);
    X11WindowTexts result;
    if (auto t = propertyText(netName.get()))
        result.title = *t;
    else if (auto t2 = propertyText(name.get()))
        result.title = *t2;
    result.className = classNameOf(klass.get());
    return result;
}

} // namespace morvanta
