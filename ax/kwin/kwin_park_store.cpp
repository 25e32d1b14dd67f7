#include "ax/kwin/kwin_park_store.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unistd.h>

namespace morvanta {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts));
}

bool validRect(const json& value, Rect& out) {
    if (!value.is_array() || value.size() != 4)
        return false;
    double v[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (!value[i].is_number())
            return false;
        v[i] = value[i].get<double>();
        if (!std::isfinite(v[i]) || std::abs(v[i]) > kwinMaxCoordinate || (i >= 2 && v[i] < 0))
            return false;
    }
    out = {v[0], v[1], v[2], v[3]};
    return true;
}

bool readMark(const json& value, KWinParkStore::Mark& out) {
    if (!value.is_object() || !value.contains("frame") || !validRect(value["frame"], out.frame))
        return false;
    if (const auto pid = value.find("pid"); pid != value.end()) {
        if (!pid->is_number_integer() || pid->get<std::int64_t>() < 0 ||
            pid->get<std::int64_t>() > INT32_MAX)
            return false;
        out.pid = pid->get<std::int32_t>();
    }
    for (const auto& [name, field] :
         {std::pair{"resourceClass", &out.resourceClass}, std::pair{"caption", &out.caption}}) {
        const auto it = value.find(name);
        if (it == value.end())
            continue;
        if (!it->is_string())
            return false;
        *field = it->get<std::string>();
    }
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

KWinParkStore::KWinParkStore(fs::path file, KWinLog log)
    : file_(std::move(file)), log_(std::move(log)) {
    load();
}

const KWinParkStore::Mark* KWinParkStore::find(const std::string& internalId) const {
    const auto it = marks_.find(internalId);
    return it == marks_.end() ? nullptr : &it->second;
}

void KWinParkStore::load() {
    std::error_code code;
    const auto status = fs::symlink_status(file_, code);
    if (code || status.type() == fs::file_type::not_found)
        return;
    if (status.type() != fs::file_type::regular)
        return moveAside("it is not a regular file");
    if (fs::file_size(file_, code) > maxFileBytes || code)
        return moveAside("it is larger than " + std::to_string(maxFileBytes) + " bytes");
    std::ifstream stream(file_, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    if (!stream) {
        readOnly_ = true;
        tell("⚠️ KWin parking marks in " + file_.string() + " could not be read (" +
             std::strerror(errno) + "); they are left as they are.");
        return;
    }
    const json document = json::parse(text.str(), nullptr, false);
    const auto version = document.is_object() ? document.find("version") : document.end();
    if (document.is_discarded() || !document.is_object() || !document.contains("windows") ||
        !document["windows"].is_object() || version == document.end() || *version != 1)
        return moveAside("it is not a version 1 marks document");
    std::size_t bad = 0;
    for (const auto& [id, value] : document["windows"].items()) {
        Mark mark;
        if (!id.empty() && readMark(value, mark))
            marks_.emplace(id, std::move(mark));
        else
            ++bad;
    }
    if (bad > 0) {
        moveAside(std::to_string(bad) + " mark(s) cannot be read");
        save(); // the marks that could be read, in a sound file
    }
}

void KWinParkStore::moveAside(const std::string& reason) {
    fs::path aside = file_.string() + ".corrupt-" + utcStamp();
    std::error_code code;
    for (int n = 2; fs::exists(fs::symlink_status(aside, code)); ++n)
        aside = file_.string() + ".corrupt-" + utcStamp() + "-" + std::to_string(n);
    fs::rename(file_, aside, code);
    if (code) {
        readOnly_ = true;
        tell("⚠️ KWin parking marks " + file_.string() + " are damaged (" + reason +
             ") and could not be moved aside (" + code.message() +
             "); new marks are kept only until Morvanta quits.");
        return;
    }
    syncFolder(file_.parent_path());
    tell("⚠️ KWin parking marks " + file_.string() + " are damaged (" + reason +
         "); the file was kept as " + aside.filename().string() + ".");
}

void KWinParkStore::set(const std::vector<std::pair<std::string, Mark>>& marks) {
    bool changed = false;
    for (const auto& [id, mark] : marks) {
        const auto it = marks_.find(id);
        if (it != marks_.end() && it->second == mark)
            continue;
        marks_[id] = mark;
        changed = true;
    }
    if (changed)
        save();
}

void KWinParkStore::erase(const std::vector<std::string>& internalIds) {
    std::size_t erased = 0;
    for (const auto& id : internalIds)
        erased += marks_.erase(id);
    if (erased > 0)
        save();
}

std::size_t KWinParkStore::rename(const std::vector<std::pair<std::string, std::string>>& renames) {
    std::size_t moved = 0;
    for (const auto& [from, to] : renames) {
        const auto it = marks_.find(from);
        if (it == marks_.end() || marks_.contains(to))
            continue;
        marks_.emplace(to, std::move(it->second));
        marks_.erase(it);
        ++moved;
    }
    if (moved > 0)
        save();
    return moved;
}

std::size_t KWinParkStore::prune(const std::function<bool(const std::string&)>& exists) {
    const std::size_t gone =
        std::erase_if(marks_, [&](const auto& entry) { return !exists(entry.first); });
    if (gone > 0)
        save();
    return gone;
}

void KWinParkStore::save() {
    if (readOnly_)
        return;
    json windows = json::object();
    for (const auto& [id, mark] : marks_)
        windows[id] = {{"frame", {mark.frame.x, mark.frame.y, mark.frame.width, mark.frame.height}},
                       {"pid", mark.pid},
                       {"resourceClass", mark.resourceClass},
                       {"caption", mark.caption}};
    const json document = {{"version", 1}, {"windows", std::move(windows)}};
    std::string error;
    const bool saved =
        writeAtomically(document.dump(1, ' ', false, json::error_handler_t::replace) + "\n", error);
    // One line when saving starts to fail, not one per change.
    if (!saved && lastSaveOK_)
        tell("⚠️ KWin parking marks could not be saved (" + error +
             "); they are kept until Morvanta quits.");
    lastSaveOK_ = saved;
}

bool KWinParkStore::writeAtomically(const std::string& bytes, std::string& error) const {
    std::error_code code;
    fs::create_directories(file_.parent_path(), code);
    const fs::path temporary = file_.parent_path() / ("." + file_.filename().string() + ".tmp-" +
                                                      std::to_string(::getpid()));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + temporary.string() + ": " + std::strerror(errno);
        return false;
    }
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), file_.c_str()) != 0) {
        error = std::string(written ? "cannot replace " : "cannot write ") + file_.string() + ": " +
                std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(file_.parent_path());
    return true;
}

} // namespace morvanta
