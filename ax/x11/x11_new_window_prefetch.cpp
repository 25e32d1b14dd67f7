#include "ax/x11/x11_new_window_prefetch.h"

#include "ax/x11/x11_connection.h"
#include "ax/x11/x11_facts_memo.h"

namespace morvanta {

void X11NewWindowPrefetch::start(xcb_window_t window) {
    auto& memo = connection_.factsMemo();
    // The news counts are taken first: a change after this moment keeps the answers out.
    const auto factsNews = memo.news(window);
    const auto textsNews = memo.textsNews(window);
    const auto hintsNews = memo.hintsNews(window);
    pending_.push_back(
        {window, factsNews, textsNews, hintsNews, X11WindowFactsRequest(connection_, window),
         X11FrameRequest(connection_, window), X11WindowTextsRequest(connection_, window),
         X11WindowHintsRequest(connection_, window)});
    connection_.flush();
}

void X11NewWindowPrefetch::collect() {
    if (pending_.empty())
        return;
    auto pending = std::exchange(pending_, {});
    auto& memo = connection_.factsMemo();
    const auto deadline = connection_.deadline();
    for (auto& p : pending) {
        memo.learn(p.window, p.facts.collect(deadline), p.factsNews);
        p.frame.collect(deadline); // learns the decorations
        memo.learnTexts(p.window, p.texts.collect(deadline), p.textsNews);
        memo.learnHints(p.window, p.hints.collect(deadline), p.hintsNews);
    }
}

} // namespace morvanta
