// X11FactsMemo: the facts (see X11WindowFacts) last read of each watched window, kept for as long
// as the server's news says none of them changed: no property they are read from, no mapping or
// unmapping, no new parent. Its texts (see X11WindowTexts) are kept the same way, until news of
// a property they are read from. A window's facts are watched once its property and structure news
// is selected; a reading is remembered only if no news of that window came between asking and
// answering, so a change the server made meanwhile is never hidden by an older answer.
//
// Without a window manager every application window is a root child whose mapping alone
// decides whether it shows, so the remembered facts are exactly what a fresh reading would say;
// the window list trusts them only then. Its hints (see X11WindowHints) are kept like its texts.
#pragma once

#include "ax/x11/x11_window_facts.h"
#include "ax/x11/x11_window_hints.h"
#include "ax/x11/x11_window_texts.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <xcb/xcb.h>

namespace morvanta {

class X11FactsMemo {
public:
    // The properties the facts are read from (news of any other property changes nothing),
    // and the one of them that holds Morvanta's park mark.
    void begin(std::unordered_set<xcb_atom_t> atoms, xcb_atom_t markAtom,
               std::unordered_set<xcb_atom_t> textAtoms, std::unordered_set<xcb_atom_t> hintAtoms) {
        atoms_ = std::move(atoms);
        markAtom_ = markAtom;
        textAtoms_ = std::move(textAtoms);
        hintAtoms_ = std::move(hintAtoms);
    }

    void observe(const xcb_generic_event_t& event);
    // The window's property and structure news reaches the connection from now on.
    void watch(xcb_window_t window) { entries_.try_emplace(window); }
    bool watches(xcb_window_t window) const { return entries_.contains(window); }
    // How much news of the window has come; 0 for a window not watched.
    std::uint64_t news(xcb_window_t window) const;
    void learn(xcb_window_t window, const X11WindowFacts& facts, std::uint64_t newsWhenAsked);
    // Morvanta wrote the window's park mark (none: deleted it). Remembered facts take the new
    // mark at once, and the property news that write brings does not make them read again; a
    // reading asked before the write is not remembered.
    void wroteMark(xcb_window_t window, const std::optional<Rect>& mark);
    // The remembered facts; null when they must be read.
    const X11WindowFacts* known(xcb_window_t window) const;

    // The same for the window's texts, which only news of their own properties changes.
    std::uint64_t textsNews(xcb_window_t window) const;
    void learnTexts(xcb_window_t window, const X11WindowTexts& texts, std::uint64_t newsWhenAsked);
    const X11WindowTexts* knownTexts(xcb_window_t window) const;
    // And for its hints.
    std::uint64_t hintsNews(xcb_window_t window) const;
    void learnHints(xcb_window_t window, const X11WindowHints& hints, std::uint64_t newsWhenAsked);
    const X11WindowHints* knownHints(xcb_window_t window) const;

private:
    // A reading kept until news of the properties it is read from.
    template <typename Value> struct Kept {
        std::uint64_t news = 1;
        bool known = false;
        Value value;
        void changed() {
            ++news;
            known = false;
        }
    };
    struct Entry {
        std::uint64_t news = 1;
        bool known = false;
        X11WindowFacts facts;
        int ownMarkNews = 0; // news of Morvanta's own mark writes still to come
        Kept<X11WindowTexts> texts;
        Kept<X11WindowHints> hints;
    };
    void changed(xcb_window_t window);
    template <typename Value>
    std::uint64_t newsOf(xcb_window_t window, Kept<Value> Entry::*kept) const;
    template <typename Value>
    void learnKept(xcb_window_t window, Kept<Value> Entry::*kept, const Value& value,
                   std::uint64_t newsWhenAsked);
    template <typename Value>
    const Value* knownKept(xcb_window_t window, Kept<Value> Entry::*kept) const;

    std::unordered_set<xcb_atom_t> atoms_;
    xcb_atom_t markAtom_ = XCB_NONE;
    std::unordered_set<xcb_atom_t> textAtoms_;
    std::unordered_set<xcb_atom_t> hintAtoms_;
    std::unordered_map<xcb_window_t, Entry> entries_;
};

} // namespace morvanta
