// SettingsTransferError: why a settings file was refused. Its description is the text the
// import alert shows.
#pragma once

#include <string>

namespace morvanta {

enum class SettingsTransferError {
    // Not JSON, a required member missing or of the wrong kind, or another program's file.
    notMorvanta,
    // Written by a newer Morvanta in a document format this one cannot read.
    newerFormat,
};

std::string description(SettingsTransferError error);

} // namespace morvanta
