#include "app/settings/settings_transfer_error.h"

namespace morvanta {

std::string description(SettingsTransferError error) {
    switch (error) {
    case SettingsTransferError::newerFormat:
        return "These settings were exported from a newer version of Morvanta. Update Morvanta, "
               "then try again.";
    case SettingsTransferError::notMorvanta:
        break;
    }
    return "This file isn't a Morvanta settings file.";
}

} // namespace morvanta
