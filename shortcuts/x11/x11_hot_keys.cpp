#include "shortcuts/x11/x11_hot_keys.h"

#include "shortcuts/modifiers.h"

#include <algorithm>
#include <array>
#include <cstdlib>
// xkb.h names a struct member "explicit"; rename it while the header is read in C++.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace morvanta {

namespace {

constexpr std::uint16_t numLock = XCB_MOD_MASK_2;
constexpr std::uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, numLock,
                                          XCB_MOD_MASK_LOCK | numLock};
constexpr std::uint8_t badAccess = 10;

constexpr std::array<std::pair<int, std::uint16_t>, 4> modifierMap = {{
    {carbon::shift, XCB_MOD_MASK_SHIFT},
    {carbon::control, XCB_MOD_MASK_CONTROL},
    {carbon::option, XCB_MOD_MASK_1},
    {carbon::command, XCB_MOD_MASK_4},
}};

std::uint16_t xModifiers(int carbonModifiers) {
    std::uint16_t mask = 0;
    for (const auto& [bit, xMask] : modifierMap) {
        if ((carbonModifiers & bit) != 0) {
            mask |= xMask;
        }
    }
    return mask;
}

int carbonModifiersOf(std::uint16_t state) {
    int mask = 0;
    for (const auto& [bit, xMask] : modifierMap) {
        if ((state & xMask) != 0) {
            mask |= bit;
        }
    }
    return mask;
}

// The modifiers a grab compares: the locks and the pointer buttons do not count.
std::uint16_t significant(std::uint16_t state) {
    return state & 0xff & ~(XCB_MOD_MASK_LOCK | numLock);
}

} // namespace

X11HotKeys::X11HotKeys(const std::string& displayName) {
    connection_ = xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), nullptr);
    if (xcb_connection_has_error(connection_)) {
        error_ = "Cannot connect to the X display for hot keys";
        return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    if (!keymap_.load(connection_)) {
        error_ = "The X server offers no usable keyboard extension (XKB)";
        return;
    }
    watchKeyboard();
}

X11HotKeys::~X11HotKeys() {
    if (connection_ && ok()) {
        for (const auto& [combination, count] : held_) {
            sendUngrab(combination);
        }
        xcb_flush(connection_);
    }
    xcb_disconnect(connection_);
}

// Asks for keyboard and layout changes, and for held keys to repeat as presses alone (no
// release in between) so a repeat is told apart from a new press.
void X11HotKeys::watchKeyboard() {
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection_, &xcb_xkb_id);
    xkbEventBase_ = xkb ? xkb->first_event : 0;
    auto device = static_cast<xcb_xkb_device_spec_t>(keymap_.deviceId());
    std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY |
                           XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    std::uint16_t mapParts =
        XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP;
    xcb_xkb_select_events_details_t details = {};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = XCB_XKB_STATE_PART_GROUP_STATE;
    details.stateDetails = XCB_XKB_STATE_PART_GROUP_STATE;
    xcb_xkb_select_events_aux(connection_, device, events, 0, 0, mapParts, mapParts, &details);
    auto cookie = xcb_xkb_per_client_flags(connection_, XCB_XKB_ID_USE_CORE_KBD,
                                           XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                           XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0);
    std::free(xcb_xkb_per_client_flags_reply(connection_, cookie, nullptr));
}

int X11HotKeys::fileDescriptor() const {
    return connection_ ? xcb_get_file_descriptor(connection_) : -1;
}

void X11HotKeys::dispatch() {
    if (!ok()) {
        return;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handleEvent(event);
        std::free(event);
    }
}

void X11HotKeys::sync() {
    if (!ok()) {
        return;
    }
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    dispatch();
}

std::vector<X11HotKeys::Combination> X11HotKeys::combinationsFor(const Shortcut& shortcut) const {
    std::vector<Combination> combinations;
    std::uint16_t modifiers = xModifiers(shortcut.carbonModifiers);
    for (auto keycode : keymap_.keycodesFor(shortcut.carbonKeyCode)) {
        combinations.emplace_back(keycode, modifiers);
    }
    return combinations;
}

bool X11HotKeys::isHeld(const Combination& combination) const {
    auto found = held_.find(combination);
    return found != held_.end() && found->second > 0;
}

void X11HotKeys::sendUngrab(const Combination& combination) {
    for (auto variant : lockVariants) {
        xcb_ungrab_key(connection_, static_cast<xcb_keycode_t>(combination.first), root_,
                       combination.second | variant);
    }
}

// Sends every grab first and reads the answers afterwards; on a refusal the grabs just made
// are released again, so a failed registration leaves nothing behind.
bool X11HotKeys::acquire(const std::vector<Combination>& combinations) {
    std::vector<Combination> fresh;
    std::vector<xcb_void_cookie_t> cookies;
    for (const auto& combination : combinations) {
        if (isHeld(combination)) {
            continue;
        }
        fresh.push_back(combination);
        for (auto variant : lockVariants) {
            cookies.push_back(xcb_grab_key_checked(connection_, 0, root_,
                                                   combination.second | variant,
                                                   static_cast<xcb_keycode_t>(combination.first),
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    bool refused = false;
    for (auto cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused) {
        for (const auto& combination : fresh) {
            sendUngrab(combination);
        }
        xcb_flush(connection_);
        return false;
    }
    for (const auto& combination : combinations) {
        ++held_[combination];
    }
    return true;
}

void X11HotKeys::release(const std::vector<Combination>& combinations) {
    for (const auto& combination : combinations) {
        auto found = held_.find(combination);
        if (found == held_.end()) {
            continue;
        }
        if (--found->second <= 0) {
            held_.erase(found);
            sendUngrab(combination);
        }
    }
    xcb_flush(connection_);
}

bool X11HotKeys::grab(std::uint32_t id, const Shortcut& shortcut) {
    if (!ok()) {
        return false;
    }
    ungrab(id);
    auto combinations = combinationsFor(shortcut);
    if (combinations.empty() || !acquire(combinations)) {
        return false;
    }
    grabs_[id] = Grab{shortcut, combinations};
    return true;
}

void X11HotKeys::ungrab(std::uint32_t id) {
    auto found = grabs_.find(id);
    if (found == grabs_.end()) {
        return;
    }
    release(found->second.combinations);
    grabs_.erase(found);
    for (auto& [keycode, ids] : pressed_) {
        std::erase(ids, id);
    }
}

bool X11HotKeys::isGrabbedByAnotherClient(const Shortcut& shortcut) {
    if (!ok()) {
        return false;
    }
    auto combinations = combinationsFor(shortcut);
    std::erase_if(combinations, [this](const Combination& c) { return isHeld(c); });
    if (combinations.empty()) {
        return false;
    }
    if (!acquire(combinations)) {
        return true;
    }
    release(combinations);
    return false;
}

std::string X11HotKeys::shortcutText(const Shortcut& shortcut) const {
    std::string key = keymap_.keyName(shortcut.carbonKeyCode);
    if (key.empty()) {
        key = "Key " + std::to_string(shortcut.carbonKeyCode);
    }
    return modifierPrefix(shortcut.carbonModifiers) + key;
}

std::optional<Shortcut> X11HotKeys::shortcutForKeyEvent(std::uint32_t keycode,
                                                        std::uint16_t state) const {
    auto carbonKeyCode = keymap_.carbonKeyCodeFor(keycode);
    if (!carbonKeyCode) {
        return std::nullopt;
    }
    return Shortcut{*carbonKeyCode, carbonModifiersOf(state)};
}

void X11HotKeys::handleEvent(const xcb_generic_event_t* event) {
    std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        const auto* key = reinterpret_cast<const xcb_key_press_event_t*>(event);
        handleKey(type == XCB_KEY_PRESS, key->detail, key->state);
    } else if (xkbEventBase_ != 0 && type == xkbEventBase_) {
        // Every selected XKB event (new keyboard, new mapping, layout switch) can move keys.
        keyboardChanged();
    }
}

void X11HotKeys::handleKey(bool pressed, std::uint32_t keycode, std::uint16_t state) {
    std::vector<std::uint32_t> ids;
    if (pressed) {
        Combination combination{keycode, significant(state)};
        for (const auto& [id, grab] : grabs_) {
            const auto& combinations = grab.combinations;
            if (std::find(combinations.begin(), combinations.end(), combination) !=
                combinations.end()) {
                ids.push_back(id);
            }
        }
        if (ids.empty()) {
            return;
        }
        pressed_[keycode] = ids;
    } else {
        // The release belongs to whatever the press started, whatever modifiers are left.
        auto found = pressed_.find(keycode);
        if (found == pressed_.end()) {
            return;
        }
        ids = found->second;
        pressed_.erase(found);
    }
    for (auto id : ids) {
        if (sink_) {
            sink_(id, pressed);
        }
    }
}

// The layout's keycodes may have moved: grab every registered shortcut again where its keys
// are now. A shortcut the new layout cannot type stays without grabs until the next change.
void X11HotKeys::keyboardChanged() {
    if (!keymap_.load(connection_)) {
        return;
    }
    for (auto& [id, grab] : grabs_) {
        auto combinations = combinationsFor(grab.shortcut);
        if (combinations == grab.combinations) {
            continue;
        }
        release(grab.combinations);
        grab.combinations = acquire(combinations) ? combinations : std::vector<Combination>{};
    }
    pressed_.clear();
}

} // namespace morvanta
