// Reading appcast feeds and choosing the update to offer.
#include "app/shell/updates/appcast.h"

#include <QByteArray>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

QByteArray feedWith(const std::string& items) {
    return QByteArray::fromStdString(
        R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Morvanta</title>)" +
        items + "</channel></rss>");
}

TEST(Appcast, ReadsEnclosureAttributesAndItemElements) {
    AppcastParse parsed = Appcast::parse(feedWith(R"(
<item><title>Morvanta 1.2</title>
  <sparkle:releaseNotesLink>https://example.org/notes/1.2</sparkle:releaseNotesLink>
  <enclosure url="https://example.org/Morvanta-1.2.0.tar.gz" length="1234" type="application/octet-stream"
     sparkle:version="1.2.0" sparkle:shortVersionString="1.2" sparkle:edSignature="c2ln"/>
</item>
<item><title>Morvanta 1.3 beta</title><sparkle:channel>beta</sparkle:channel>
  <sparkle:version>1.3.0b1</sparkle:version>
  <enclosure url="https://example.org/Morvanta-1.3.0b1.tar.gz"/>
</item>)"));
    ASSERT_EQ(parsed.error, "");
    ASSERT_EQ(parsed.items.size(), 2u);
    const AppcastItem& stable = parsed.items[0];
    EXPECT_EQ(stable.title, "Morvanta 1.2");
    EXPECT_EQ(stable.version, "1.2.0");
    EXPECT_EQ(stable.displayVersion, "1.2");
    EXPECT_EQ(stable.channel, "");
    EXPECT_EQ(stable.downloadURL, "https://example.org/Morvanta-1.2.0.tar.gz");
    EXPECT_EQ(stable.length, 1234);
    EXPECT_EQ(stable.edSignature, "c2ln");
    EXPECT_EQ(stable.releaseNotesURL, "https://example.org/notes/1.2");
    const AppcastItem& beta = parsed.items[1];
    EXPECT_EQ(beta.channel, "beta");
    EXPECT_EQ(beta.version, "1.3.0b1");
    EXPECT_EQ(beta.displayVersion, "1.3.0b1");
    EXPECT_FALSE(beta.length);
}

TEST(Appcast, AFeedWithoutItemsIsReadAndOffersNothing) {
    AppcastParse parsed = Appcast::parse(feedWith(""));
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.items.empty());
}

TEST(Appcast, RefusesMalformedFeedsSayingWhatIsWrong) {
    struct Case {
        QByteArray feed;
        const char* expected;
    };
    const std::string url = R"(url="https://example.org/m.tar.gz")";
    const Case cases[] = {
        {"", "isn't valid XML"},
        {"<html><body>Not found</body></html>", "it has no <rss> element"},
        {"<rss><channel><item>", "isn't valid XML (line 1"},
        {"{\"version\": \"1.2\"}", "isn't valid XML"},
        {feedWith("<item><title>Morvanta 9</title></item>"),
         "item “Morvanta 9” has no download (no <enclosure> element)"},
        {feedWith("<item><enclosure " + url + "/></item>"), "item number 1 has no version"},
        {feedWith("<item><title>X</title><enclosure " + url +
                  R"( sparkle:version="next"/></item>)"),
         "item “X” has a version Morvanta can't read: “next”"},
        {feedWith(
             R"(<item><title>X</title><enclosure url="file:///bin/sh" sparkle:version="2"/></item>)"),
         "item “X” has no web address to download from"},
        {feedWith("<item><title>X</title><enclosure " + url +
                  R"( length="many" sparkle:version="2"/></item>)"),
         "item “X” has a length that isn't a number: “many”"},
        {feedWith("<item><title>X</title><sparkle:version>2</sparkle:version><enclosure " + url +
                  "/></item><item><title>Y</title></item>"),
         "item “Y” has no download"},
    };
    for (const Case& c : cases) {
        AppcastParse parsed = Appcast::parse(c.feed);
        EXPECT_NE(parsed.error.find(c.expected), std::string::npos)
            << "feed: " << c.feed.toStdString() << "\nerror: " << parsed.error;
        EXPECT_TRUE(parsed.items.empty());
    }
}

AppcastItem item(std::string version, std::string channel = {}) {
    AppcastItem result;
    result.version = std::move(version);
    result.channel = std::move(channel);
    return result;
}

TEST(Appcast, NewestUpdateKeepsToTheAllowedChannels) {
    std::vector<AppcastItem> items = {item("1.1"), item("1.3b1", "beta"), item("1.2"),
                                      item("9.0", "nightly")};
    std::set<std::string> betas = {"beta"};

    EXPECT_EQ(Appcast::newestUpdate(items, {}, "1.0")->version, "1.2");
    EXPECT_EQ(Appcast::newestUpdate(items, betas, "1.0")->version, "1.3b1");
    EXPECT_FALSE(Appcast::newestUpdate(items, {}, "1.2"));
    EXPECT_FALSE(Appcast::newestUpdate(items, {}, "1.2.1"));
    EXPECT_EQ(Appcast::newestUpdate(items, betas, "1.2")->version, "1.3b1");
    EXPECT_FALSE(Appcast::newestUpdate(items, betas, "1.3"));
    EXPECT_FALSE(Appcast::newestUpdate({}, betas, "0.1"));
}

} // namespace
} // namespace morvanta
