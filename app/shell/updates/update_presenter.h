// UpdatePresenter: how the update service shows its results to the user. The application's
// presenter is UpdateDialogs; tests record the calls instead.
#pragma once

#include "app/shell/updates/appcast.h"

#include <QByteArray>
#include <string>

namespace morvanta {

// A newer version whose download was fetched and whose signature matched the signing key.
struct UpdateOffer {
    AppcastItem item;
    std::string currentVersion;
    // The verified download, exactly as received.
    QByteArray download;
};

class UpdatePresenter {
public:
    virtual ~UpdatePresenter() = default;
    virtual void presentOffer(const UpdateOffer& offer) = 0;
    // Only after a check the user asked for.
    virtual void presentUpToDate(const std::string& currentVersion) = 0;
    virtual void presentFailure(const std::string& title, const std::string& message) = 0;
};

} // namespace morvanta
