// writeAll: writes every byte to a file descriptor, resuming after partial writes and
// interruptions. The log, the crash reports and the pending-report folder all need it.
#pragma once

#include <string_view>

namespace morvanta {

// True when every byte was written; false at the first error (nothing is retried but EINTR).
bool writeAll(int fd, std::string_view bytes);

} // namespace morvanta
