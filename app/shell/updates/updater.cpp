#include "app/shell/updates/updater.h"

namespace morvanta {

Updater::Updater(UpdaterConfiguration configuration, PreferencesDomain& defaults,
                 DiagnosticsLog& log, UpdatePresenter& presenter)
    : configuration_(std::move(configuration)),
      verifier_(Ed25519Verifier::fromBase64(configuration_.publicKey)),
      preferences_(defaults, configuration_.appVersion), log_(log), presenter_(presenter) {
    // A build that names a key Morvanta cannot read would otherwise be silently off.
    if (!configuration_.publicKey.empty() && !verifier_)
        log_.append("⚠️ Updates are off: the update signing key isn't a base64 Ed25519 public "
                    "key.");
}

Updater::~Updater() = default;

void Updater::start() {
    if (!isAvailable() || controller_)
        return;
    controller_ = std::make_unique<UpdateService>(configuration_, *verifier_, *this, preferences_,
                                                  log_, presenter_);
    controller_->start();
}

void Updater::checkForUpdates() {
    if (controller_)
        controller_->checkForUpdates();
}

bool Updater::automaticallyChecksForUpdates() const {
    return isAvailable() && preferences_.automaticallyChecksForUpdates();
}

void Updater::setAutomaticallyChecksForUpdates(bool checks) {
    if (!isAvailable())
        return;
    if (controller_)
        controller_->setAutomaticallyChecksForUpdates(checks);
    else
        preferences_.setAutomaticallyChecksForUpdates(checks);
}

std::set<std::string> Updater::allowedChannels() const {
    return preferences_.allowedChannels();
}

} // namespace morvanta
