#include "app/diagnostics/diagnostics_status.h"

namespace morvanta {

std::string DiagnosticsStatus::text() const {
    if (!isTrusted)
        return untrustedText;
    std::string result = isPaused ? pausedText : tilingText;
    if (!currentLabel.empty())
        result += " [" + currentLabel + "]";
    return result;
}

} // namespace morvanta
