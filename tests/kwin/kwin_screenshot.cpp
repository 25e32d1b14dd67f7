#include "tests/kwin/kwin_screenshot.h"

#include <QImage>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>
#include <vector>

namespace morvanta::testing {
namespace {

// The reply's a{sv}: the unsigned values only (the image's width, height, stride and format).
std::map<std::string, std::uint32_t> readResults(sd_bus_message* reply) {
    std::map<std::string, std::uint32_t> results;
    if (sd_bus_message_enter_container(reply, 'a', "{sv}") <= 0)
        return results;
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
        const char* key = nullptr;
        char type = 0;
        const char* contents = nullptr;
        sd_bus_message_read(reply, "s", &key);
        sd_bus_message_peek_type(reply, &type, &contents);
        std::uint32_t value = 0;
        if (contents && std::strcmp(contents, "u") == 0 &&
            sd_bus_message_read(reply, "v", "u", &value) > 0)
            results[key] = value;
        else
            sd_bus_message_skip(reply, "v");
        sd_bus_message_exit_container(reply);
    }
    sd_bus_message_exit_container(reply);
    return results;
}

} // namespace

std::string saveKWinScreenshot(const std::string& busAddress, int x, int y, int width, int height,
                               const std::string& path) {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, busAddress.c_str()) < 0 ||
        sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return "cannot reach the session bus";
    }
    int pipe[2];
    if (::pipe(pipe) != 0) {
        sd_bus_unref(bus);
        return "no pipe";
    }
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message_new_method_call(bus, &call, "org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                                   "org.kde.KWin.ScreenShot2", "CaptureArea");
    sd_bus_message_append(call, "iiuu", x, y, static_cast<std::uint32_t>(width),
                          static_cast<std::uint32_t>(height));
    sd_bus_message_append(call, "a{sv}", 1, "native-resolution", "b", 1);
    sd_bus_message_append(call, "h", pipe[1]);
    const int called = sd_bus_call(bus, call, 10'000'000, &error, &reply);
    // The message holds a copy of the pipe's end: KWin's end alone may remain for the end of
    // the image to show.
    call = sd_bus_message_unref(call);
    ::close(pipe[1]);
    std::string failure;
    std::map<std::string, std::uint32_t> results;
    if (called < 0)
        failure = std::string("CaptureArea failed: ") + (error.message ? error.message : "?");
    else
        results = readResults(reply);
    std::vector<unsigned char> data;
    unsigned char chunk[65536];
    // KWin writes the image after it answers, and closes its end when done; never wait forever.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (failure.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{pipe[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            failure = "the image did not come in time (" + std::to_string(data.size()) + " bytes)";
            break;
        }
        const ssize_t n = ::read(pipe[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        data.insert(data.end(), chunk, chunk + n);
    }
    ::close(pipe[0]);
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_unref(bus);
    if (!failure.empty())
        return failure;
    const auto w = results["width"], h = results["height"], stride = results["stride"];
    if (w == 0 || h == 0 || data.size() < static_cast<std::size_t>(stride) * h)
        return "no image came (" + std::to_string(data.size()) + " bytes)";
    const QImage image(data.data(), static_cast<int>(w), static_cast<int>(h),
                       static_cast<qsizetype>(stride),
                       static_cast<QImage::Format>(results["format"]));
    return image.save(QString::fromStdString(path), "PNG") ? "" : "cannot save " + path;
}

} // namespace morvanta::testing
