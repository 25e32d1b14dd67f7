#include "app/shell/updates/verified_download.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

namespace morvanta {

namespace {

QString safeName(const QString& raw) {
    QString name;
    for (QChar c : raw) {
        bool safe = (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == u'.' || c == u'_' ||
                    c == u'-' || c == u'+';
        name += safe ? c : QChar(u'_');
    }
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    return name.left(200);
}

// "name-1.2.tar.gz" → "name-1.2-2.tar.gz" and so on, until no file has the name.
QString unusedPath(const QDir& folder, const QString& name) {
    QString path = folder.filePath(name);
    int dot = name.lastIndexOf(u'.');
    if (dot > 0 && name.left(dot).endsWith(QStringLiteral(".tar")))
        dot -= 4;
    QString stem = dot > 0 ? name.left(dot) : name;
    QString extension = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2; QFileInfo::exists(path) && n < 1000; ++n)
        path = folder.filePath(stem + u'-' + QString::number(n) + extension);
    return QFileInfo::exists(path) ? QString() : path;
}

} // namespace

QString VerifiedDownload::fileName(const AppcastItem& item) {
    QUrl url(QString::fromStdString(item.downloadURL));
    QString name = safeName(url.fileName());
    if (name.isEmpty() || name.count(u'_') == name.size())
        name = safeName(QStringLiteral("Morvanta-") + QString::fromStdString(item.displayVersion));
    return name;
}

SavedDownload VerifiedDownload::save(const QString& folder, const AppcastItem& item,
                                     const QByteArray& bytes) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral(".")))
        return {{}, QStringLiteral("The folder %1 can't be created.").arg(folder)};
    QString path = unusedPath(dir, fileName(item));
    if (path.isEmpty())
        return {{}, QStringLiteral("Every name for the download in %1 is taken.").arg(folder)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {{}, QStringLiteral("%1 couldn't be written: %2").arg(path, file.errorString())};
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return {path, {}};
}

} // namespace morvanta
