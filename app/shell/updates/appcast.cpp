#include "app/shell/updates/appcast.h"

#include "app/shell/updates/version_comparator.h"

#include <QByteArray>
#include <QUrl>
#include <QXmlStreamReader>

namespace morvanta {

namespace {

bool isSparkle(const QXmlStreamReader& reader) {
    return reader.namespaceUri() == QLatin1String(Appcast::sparkleNamespace);
}

bool isPlain(const QXmlStreamReader& reader, const char* name) {
    return reader.namespaceUri().isEmpty() && reader.name() == QLatin1String(name);
}

std::string sparkleAttribute(const QXmlStreamReader& reader, const char* name) {
    return reader.attributes()
        .value(QLatin1String(Appcast::sparkleNamespace), QLatin1String(name))
        .toString()
        .trimmed()
        .toStdString();
}

std::string text(QXmlStreamReader& reader) {
    return reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString();
}

struct ItemReading {
    AppcastItem item;
    bool hasEnclosure = false;
    std::string lengthText;
};

void readEnclosure(QXmlStreamReader& reader, ItemReading& reading) {
    if (reading.hasEnclosure) {
        reader.skipCurrentElement();
        return;
    }
    reading.hasEnclosure = true;
    AppcastItem& item = reading.item;
    item.downloadURL =
        reader.attributes().value(QLatin1String("url")).toString().trimmed().toStdString();
    reading.lengthText =
        reader.attributes().value(QLatin1String("length")).toString().trimmed().toStdString();
    std::string version = sparkleAttribute(reader, "version");
    if (!version.empty())
        item.version = version;
    std::string shortVersion = sparkleAttribute(reader, "shortVersionString");
    if (!shortVersion.empty())
        item.displayVersion = shortVersion;
    item.edSignature = sparkleAttribute(reader, "edSignature");
    reader.skipCurrentElement();
}

ItemReading readItem(QXmlStreamReader& reader) {
    ItemReading reading;
    AppcastItem& item = reading.item;
    while (reader.readNextStartElement()) {
        if (isPlain(reader, "title")) {
            item.title = text(reader);
        } else if (isPlain(reader, "enclosure")) {
            readEnclosure(reader, reading);
        } else if (isSparkle(reader) && reader.name() == QLatin1String("version")) {
            item.version = text(reader);
        } else if (isSparkle(reader) && reader.name() == QLatin1String("shortVersionString")) {
            item.displayVersion = text(reader);
        } else if (isSparkle(reader) && reader.name() == QLatin1String("channel")) {
            item.channel = text(reader);
        } else if (isSparkle(reader) && reader.name() == QLatin1String("releaseNotesLink")) {
            item.releaseNotesURL = text(reader);
        } else {
            reader.skipCurrentElement();
        }
    }
    return reading;
}

std::string quoted(const std::string& s) {
    return "“" + s + "”";
}

bool isWebAddress(const std::string& address) {
    QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

// Why the item cannot be offered, or empty when it is complete.
std::string problemWith(ItemReading& reading, std::size_t index) {
    AppcastItem& item = reading.item;
    std::string name =
        item.title.empty() ? "number " + std::to_string(index + 1) : quoted(item.title);
    if (!reading.hasEnclosure)
        return "The update feed's item " + name + " has no download (no <enclosure> element).";
    if (item.version.empty())
        return "The update feed's item " + name + " has no version (sparkle:version).";
    if (!VersionComparator::isWellFormed(item.version))
        return "The update feed's item " + name +
               " has a version Morvanta can't read: " + quoted(item.version) + ".";
    if (!isWebAddress(item.downloadURL))
        return "The update feed's item " + name + " has no web address to download from.";
    if (!reading.lengthText.empty()) {
        bool ok = false;
        qint64 length = QString::fromStdString(reading.lengthText).toLongLong(&ok);
        if (!ok || length < 0)
            return "The update feed's item " + name +
                   " has a length that isn't a number: " + quoted(reading.lengthText) + ".";
        item.length = length;
    }
    if (item.displayVersion.empty())
        item.displayVersion = item.version;
    return {};
}

} // namespace

AppcastParse Appcast::parse(const QByteArray& feed) {
    AppcastParse result;
    QXmlStreamReader reader(feed);
    std::vector<ItemReading> readings;
    bool sawRSS = false;
    if (reader.readNextStartElement() && isPlain(reader, "rss")) {
        sawRSS = true;
        while (reader.readNextStartElement()) {
            if (!isPlain(reader, "channel")) {
                reader.skipCurrentElement();
                continue;
            }
            while (reader.readNextStartElement()) {
                if (isPlain(reader, "item"))
                    readings.push_back(readItem(reader));
                else
                    reader.skipCurrentElement();
            }
        }
    }
    if (reader.hasError()) {
        result.error = "The update feed isn't valid XML (line " +
                       std::to_string(reader.lineNumber()) + ": " +
                       reader.errorString().toStdString() + ").";
        return result;
    }
    if (!sawRSS) {
        result.error = "The update feed isn't an appcast: it has no <rss> element.";
        return result;
    }
    for (std::size_t i = 0; i < readings.size(); ++i) {
        std::string problem = problemWith(readings[i], i);
        if (!problem.empty()) {
            result.error = problem;
            result.items.clear();
            return result;
        }
        result.items.push_back(std::move(readings[i].item));
    }
    return result;
}

std::optional<AppcastItem> Appcast::newestUpdate(const std::vector<AppcastItem>& items,
                                                 const std::set<std::string>& allowedChannels,
                                                 const std::string& currentVersion) {
    const AppcastItem* newest = nullptr;
    for (const AppcastItem& item : items) {
        if (!item.channel.empty() && !allowedChannels.contains(item.channel))
            continue;
        if (!newest || VersionComparator::compare(item.version, newest->version) > 0)
            newest = &item;
    }
    if (!newest || VersionComparator::compare(newest->version, currentVersion) <= 0)
        return std::nullopt;
    return *newest;
}

} // namespace morvanta
