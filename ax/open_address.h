// openAddress: hands a web address to the desktop's opener (xdg-open) without waiting for it or
// leaving a zombie behind, for the help pages the trust check points users to.
#pragma once

namespace morvanta {

void openAddress(const char* address);

} // namespace morvanta
