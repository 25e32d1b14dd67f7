// Updater: decides whether this build updates itself and, when it does, runs the update
// service as its delegate: it names the feed to read and the channels to accept. Updating is
// on only in builds that carry both a feed address and a valid signing key; in any other
// build `start` does nothing, `controller` stays absent and the settings window says that
// updates are switched on in release builds. The API the menu, the settings window and the
// application use.
#pragma once

#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/preferences_domain.h"
#include "app/shell/updates/ed25519_verifier.h"
#include "app/shell/updates/update_preferences.h"
#include "app/shell/updates/update_presenter.h"
#include "app/shell/updates/update_service.h"
#include "app/shell/updates/updater_configuration.h"
#include "app/shell/updates/updater_delegate.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace morvanta {

class Updater : public UpdaterDelegate {
public:
    // The text the settings window shows in place of the update switches when updating is off.
    static constexpr const char* switchedOffText = "Updates are switched on in release builds.";

    Updater(UpdaterConfiguration configuration, PreferencesDomain& defaults, DiagnosticsLog& log,
            UpdatePresenter& presenter);
    ~Updater() override;

    // Whether this build carries a feed address and a valid signing key: the menu's update
    // command is enabled and the settings window shows the update switches only then.
    bool isAvailable() const { return verifier_.has_value() && !configuration_.feedURL.empty(); }

    // Creates the update service once, in builds where updating is available; called at launch.
    void start();
    // Asks the service to check now and show the result; nothing before start or when off.
    void checkForUpdates();
    // The running service; absent until started and for good when updating is off.
    UpdateService* controller() const { return controller_.get(); }

    // The automatic-check switch; reads false and ignores changes when updating is off.
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool checks);

    // The stored "receivesBetaUpdates" choice, else true exactly for a 0.x version.
    bool receivesBetaUpdates() const { return preferences_.receivesBetaUpdates(); }
    void setReceivesBetaUpdates(bool receives) { preferences_.setReceivesBetaUpdates(receives); }

    std::string feedURLString() const override { return configuration_.feedURL; }
    // {"beta"} while beta updates are wanted, otherwise none (the default channel only).
    std::set<std::string> allowedChannels() const override;

private:
    UpdaterConfiguration configuration_;
    std::optional<Ed25519Verifier> verifier_;
    UpdatePreferences preferences_;
    DiagnosticsLog& log_;
    UpdatePresenter& presenter_;
    std::unique_ptr<UpdateService> controller_;
};

} // namespace morvanta
