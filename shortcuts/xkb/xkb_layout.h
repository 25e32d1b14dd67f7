// XkbLayout: one keyboard layout read with xkbcommon, and what the key grabs of every Linux
// desktop ask of it: which keycodes type a stored key code's keysym, which stored key code a
// native key event is, the keysym a stored key code types, and the key's name as the layout
// prints it. Where the keymap comes from is the backend's business: the X server's device on
// X11, Plasma's keyboard settings on Wayland. No display connection here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace morvanta {

// The names xkbcommon compiles a keymap from; empty fields take xkbcommon's defaults (and the
// XKB_DEFAULT_* variables).
struct XkbNames {
    std::string rules;
    std::string model;
    std::string layout;
    std::string variant;
    std::string options;
};

class XkbLayout {
public:
    XkbLayout();
    ~XkbLayout();
    XkbLayout(const XkbLayout&) = delete;
    XkbLayout& operator=(const XkbLayout&) = delete;

    xkb_context* context() const { return context_; }
    // Takes over the keymap and its state (both owned from now on); the state says which of
    // the keymap's layouts is current.
    void adopt(xkb_keymap* keymap, xkb_state* state);
    // Compiles the keymap from names, in its first layout; false (the old keymap kept) when
    // xkbcommon cannot compile them.
    bool compile(const XkbNames& names);
    bool isLoaded() const { return keymap_ != nullptr; }

    // The keycodes that stand for the stored key code (see carbonKeyCodeFor); empty when the
    // layout cannot type it.
    std::vector<std::uint32_t> keycodesFor(int carbonKeyCode) const;
    // The stored key code of a keycode: by the keysym it types unshifted, else by its position
    // on an ANSI keyboard when no other key types that position's keysym. Every keycode stands
    // for at most one key code, so two bindings never share a key.
    std::optional<int> carbonKeyCodeFor(std::uint32_t keycode) const;
    // The keysym the layout's key for the stored key code types unshifted; the US keysym when
    // the layout has no such key; 0 for key codes the table lacks.
    std::uint32_t keysymFor(int carbonKeyCode) const;
    // "F", "1", "/", "Tab", "Left", "F5", "Keypad 1"; empty for key codes the table lacks.
    std::string keyName(int carbonKeyCode) const;

private:
    std::uint32_t unshiftedKeysym(std::uint32_t keycode) const;
    bool typesUnshifted(std::uint32_t keysym) const;
    std::uint32_t firstKeycode() const;
    std::uint32_t lastKeycode() const;

    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
};

} // namespace morvanta
