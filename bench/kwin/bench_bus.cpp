#include "bench/kwin/bench_bus.h"

namespace morvanta::bench {

bool BenchBus::runScript(const std::filesystem::path& file, const std::string& plugin) {
    error_.clear();
    const int id = client_.loadScript(file.string(), plugin);
    if (id < 0) {
        error_ = "KWin did not load " + file.string() + ": " + client_.error();
        return false;
    }
    plugins_.push_back(plugin);
    if (client_.runScript(id))
        return true;
    error_ = "KWin did not run " + file.string() + ": " + client_.error();
    return false;
}

void BenchBus::unloadScripts() {
    for (const auto& plugin : plugins_)
        client_.unloadScript(plugin);
    plugins_.clear();
}

} // namespace morvanta::bench
