// CrashReports: the support mail's address, subject, body and mail URL, and the texts of the
// alert shown when no mail program opens.
#include "app/diagnostics/crash_reports.h"

namespace morvanta {

namespace {

std::string percentEncoded(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

} // namespace

std::string CrashReports::supportAddress() {
    return MORVANTA_SUPPORT_ADDRESS;
}

std::string CrashReports::supportMailSubject() {
    return "Morvanta support";
}

std::string CrashReports::supportMailBody(int screenCount) {
    return supportMailBody(SystemFacts::current(screenCount));
}

std::string CrashReports::supportMailBody(const SystemFacts& facts) {
    std::string system = facts.kernel;
    if (!facts.distribution.empty())
        system += ", " + facts.distribution;
    return "Hi,\n\nWhat happened, and what did you expect to happen?\n\n\n\n----\nMorvanta " +
           facts.version + " (" + facts.build + ")" + osLinePrefix + system + machineLinePrefix +
           facts.machineModel + "\nScreens: " + std::to_string(facts.screenCount) + pasteHint;
}

std::string CrashReports::supportMailURL(int screenCount) {
    return "mailto:" + supportAddress() + "?subject=" + percentEncoded(supportMailSubject()) +
           "&body=" + percentEncoded(supportMailBody(screenCount));
}

std::string CrashReports::machineModel() {
    return SystemFacts::readMachineModel();
}

std::string CrashReports::mailAlertTitle() {
    return "Email " + supportAddress();
}

std::string CrashReports::mailAlertText() {
    return "Morvanta couldn't open your email app. Please email us at " + supportAddress() +
           ". Your Morvanta log has been copied; paste it into the email.";
}

} // namespace morvanta
