// VerifiedDownload: saves an update whose signature was checked into a folder the user
// chooses to look in (normally Downloads). The file keeps the name from its web address
// (reduced to safe characters), never replaces an existing file, and is written whole or not
// at all, without execute permission: saving never runs anything.
#pragma once

#include "app/shell/updates/appcast.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace morvanta {

struct SavedDownload {
    // The saved file; empty on failure.
    QString path;
    // Why nothing was saved.
    QString error;
};

class VerifiedDownload {
public:
    static SavedDownload save(const QString& folder, const AppcastItem& item,
                              const QByteArray& bytes);

    // The file name to save under: the address's last path segment with every character
    // outside letters, digits and . _ - + replaced, and no leading dot; "Morvanta-<version>"
    // when nothing usable is left.
    static QString fileName(const AppcastItem& item);
};

} // namespace morvanta
