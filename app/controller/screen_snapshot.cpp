#include "app/controller/screen_snapshot.h"

namespace morvanta {

std::vector<Screen> ScreenSnapshot::screens() {
    if (holds_ == 0)
        return source_.screens();
    if (!kept_)
        kept_ = source_.screens();
    return *kept_;
}

ScreenSnapshot::Hold::~Hold() {
    if (--snapshot_.holds_ == 0)
        snapshot_.kept_.reset();
}

} // namespace morvanta
