// The updater against a feed served on 127.0.0.1: what is offered, what is refused and how
// failures are reported.
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/updates/updater.h"
#include "tests/shell/updates/local_http_server.h"
#include "tests/shell/updates/qt_test_support.h"
#include "tests/shell/updates/test_signing_key.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

using namespace std::chrono_literals;
using Kind = UpdateCheckOutcome::Kind;

class RecordingPresenter : public UpdatePresenter {
public:
    void presentOffer(const UpdateOffer& offer) override { offers.push_back(offer); }
    void presentUpToDate(const std::string&) override { ++upToDate; }
    void presentFailure(const std::string& title, const std::string& message) override {
        failures.emplace_back(title, message);
    }
    std::vector<UpdateOffer> offers;
    int upToDate = 0;
    std::vector<std::pair<std::string, std::string>> failures;
};

struct Release {
    std::string version;
    std::string channel;
    QByteArray bytes;
    // Empty: a valid signature of `bytes` is made.
    std::optional<std::string> signature;
};

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.isListening());
        ASSERT_TRUE(key.isValid());
    }

    void publish(const std::vector<Release>& releases) {
        std::string items;
        for (const Release& r : releases) {
            QString path = QString::fromStdString("/downloads/Morvanta-" + r.version + ".tar.gz");
            server.serve(path, r.bytes);
            std::string signature = r.signature.value_or(key.sign(r.bytes));
            items += "<item><title>Morvanta " + r.version + "</title>";
            if (!r.channel.empty())
                items += "<sparkle:channel>" + r.channel + "</sparkle:channel>";
            items += "<enclosure url=\"" + server.url(path).toStdString() + "\" length=\"" +
                     std::to_string(r.bytes.size()) + "\" sparkle:version=\"" + r.version +
                     "\" sparkle:edSignature=\"" + signature + "\"/></item>";
        }
        server.serve("/appcast.xml",
                     QByteArray::fromStdString(
                         "<?xml version=\"1.0\"?><rss version=\"2.0\" "
                         "xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                         "<channel><title>Morvanta</title>" +
                         items + "</channel></rss>"));
    }

    Updater& makeUpdater(const std::string& version, std::string feedURL = {}) {
        UpdaterConfiguration configuration;
        configuration.feedURL =
            feedURL.empty() ? server.url("/appcast.xml").toStdString() : feedURL;
        configuration.publicKey = key.publicKeyBase64();
        configuration.appVersion = version;
        configuration.firstCheckDelay = firstCheckDelay;
        configuration.transferTimeout = 5s;
        configuration.maxFeedBytes = 64 * 1024;
        updater = std::make_unique<Updater>(configuration, defaults, log, presenter);
        return *updater;
    }

    // Starts the updater, checks as the user would and waits for the result.
    UpdateCheckOutcome check(Updater& u) {
        u.start();
        EXPECT_NE(u.controller(), nullptr);
        if (!u.controller())
            return {Kind::failed, "no controller"};
        u.checkForUpdates();
        EXPECT_TRUE(testing::waitUntil([&] { return !u.controller()->isChecking(); }));
        EXPECT_TRUE(u.controller()->lastOutcome());
        return u.controller()->lastOutcome().value_or(UpdateCheckOutcome{Kind::failed, "none"});
    }

    bool logHas(const std::string& text) const {
        for (const std::string& line : log.lines())
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }

    // The application object comes first: the server's socket needs its event dispatcher.
    testing::QtApplicationInstance application;
    testing::LocalHttpServer server;
    testing::TestSigningKey key;
    MemoryPreferencesDomain defaults;
    DiagnosticsLog log{std::nullopt};
    RecordingPresenter presenter;
    std::chrono::milliseconds firstCheckDelay = 1h;
    std::unique_ptr<Updater> updater;
};

TEST_F(UpdaterTest, OffersANewerStableVersionWithItsVerifiedDownload) {
    QByteArray archive("archive of 1.2.0\x00\x01\x02", 19);
    publish({{"1.1.0", "", "old", {}}, {"1.2.0", "", archive, {}}});
    UpdateCheckOutcome outcome = check(makeUpdater("1.0.0"));

    EXPECT_EQ(outcome.kind, Kind::updateAvailable) << outcome.message;
    ASSERT_EQ(presenter.offers.size(), 1u);
    EXPECT_EQ(presenter.offers[0].item.version, "1.2.0");
    EXPECT_EQ(presenter.offers[0].currentVersion, "1.0.0");
    EXPECT_EQ(presenter.offers[0].download, archive);
    EXPECT_TRUE(presenter.failures.empty());
    EXPECT_TRUE(logHas("Update check: Morvanta 1.2.0 is available (this is 1.0.0)"));
    EXPECT_EQ(server.requests("/downloads/Morvanta-1.1.0.tar.gz"), 0);
}

TEST_F(UpdaterTest, OlderOrEqualVersionsAreNotOffered) {
    publish({{"0.9.0", "", "old", {}}, {"1.0.0", "", "same", {}}});
    UpdateCheckOutcome outcome = check(makeUpdater("1.0.0"));

    EXPECT_EQ(outcome.kind, Kind::upToDate) << outcome.message;
    EXPECT_TRUE(presenter.offers.empty());
    EXPECT_EQ(presenter.upToDate, 1);
    EXPECT_TRUE(logHas("Update check: Morvanta 1.0.0 is up to date."));
    EXPECT_EQ(server.requests("/downloads/Morvanta-1.0.0.tar.gz"), 0);
}

TEST_F(UpdaterTest, BetaVersionsOnlyOnTheBetaChannel) {
    publish({{"1.1.0", "", "stable", {}}, {"1.2.0b1", "beta", "beta", {}}});

    // 1.x without a choice: stable only.
    EXPECT_EQ(check(makeUpdater("1.0.0")).kind, Kind::updateAvailable);
    ASSERT_EQ(presenter.offers.size(), 1u);
    EXPECT_EQ(presenter.offers.back().item.version, "1.1.0");

    // Choosing betas asks for the beta channel on the next check.
    updater->setReceivesBetaUpdates(true);
    updater->checkForUpdates();
    ASSERT_TRUE(testing::waitUntil([&] { return presenter.offers.size() == 2; }));
    EXPECT_EQ(presenter.offers.back().item.version, "1.2.0b1");
}

TEST_F(UpdaterTest, ZeroVersionsGetBetasUnlessSwitchedOff) {
    publish({{"0.9.0", "", "stable", {}}, {"0.10.0b1", "beta", "beta", {}}});
    EXPECT_EQ(check(makeUpdater("0.8.0")).kind, Kind::updateAvailable);
    ASSERT_EQ(presenter.offers.size(), 1u);
    EXPECT_EQ(presenter.offers[0].item.version, "0.10.0b1");

    defaults.set(UpdatePreferences::betaKey, false);
    EXPECT_EQ(check(makeUpdater("0.8.0")).kind, Kind::updateAvailable);
    ASSERT_EQ(presenter.offers.size(), 2u);
    EXPECT_EQ(presenter.offers[1].item.version, "0.9.0");
}

TEST_F(UpdaterTest, ABadSignatureIsRefusedAndShownEvenInAnAutomaticCheck) {
    testing::TestSigningKey stranger;
    publish({{"1.2.0", "", "tampered archive", stranger.sign("tampered archive")}});
    firstCheckDelay = 50ms;
    Updater& u = makeUpdater("1.0.0");
    u.start();
    ASSERT_TRUE(testing::waitUntil([&] { return u.controller()->lastOutcome().has_value(); }));

    EXPECT_EQ(u.controller()->lastOutcome()->kind, Kind::refused);
    EXPECT_TRUE(presenter.offers.empty());
    ASSERT_EQ(presenter.failures.size(), 1u);
    EXPECT_EQ(presenter.failures[0].first, "Update refused");
    EXPECT_NE(presenter.failures[0].second.find("doesn't match its signature"), std::string::npos);
    EXPECT_TRUE(logHas("⚠️ Update refused: The download of Morvanta 1.2.0 doesn't match"));
}

TEST_F(UpdaterTest, MissingAndDamagedSignaturesAreRefused) {
    publish({{"1.2.0", "", "archive", std::string()}});
    UpdateCheckOutcome unsigned_ = check(makeUpdater("1.0.0"));
    EXPECT_EQ(unsigned_.kind, Kind::refused);
    EXPECT_NE(unsigned_.message.find("carries no signature"), std::string::npos);
    EXPECT_EQ(server.requests("/downloads/Morvanta-1.2.0.tar.gz"), 0);

    publish({{"1.2.0", "", "archive", std::string("AAAA")}});
    UpdateCheckOutcome damaged = check(makeUpdater("1.0.0"));
    EXPECT_EQ(damaged.kind, Kind::refused);
    EXPECT_NE(damaged.message.find("damaged signature"), std::string::npos);
    EXPECT_TRUE(presenter.offers.empty());
    EXPECT_EQ(presenter.failures.size(), 2u);
}

TEST_F(UpdaterTest, AnUnreachableFeedIsReported) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    quint16 port = closed.serverPort();
    closed.close();
    UpdateCheckOutcome outcome =
        check(makeUpdater("1.0.0", "http://127.0.0.1:" + std::to_string(port) + "/appcast.xml"));

    EXPECT_EQ(outcome.kind, Kind::failed);
    EXPECT_NE(outcome.message.find("couldn't download the update feed"), std::string::npos)
        << outcome.message;
    ASSERT_EQ(presenter.failures.size(), 1u);
    EXPECT_EQ(presenter.failures[0].first, "Couldn't check for updates");
    EXPECT_TRUE(logHas("⚠️ Update check failed: Morvanta couldn't download the update feed"));
}

TEST_F(UpdaterTest, MalformedFeedsAndServerErrorsAreReported) {
    struct Case {
        QByteArray body;
        int status;
        const char* expected;
    };
    const Case cases[] = {
        {"<html>Service unavailable</html>", 503, "couldn't download the update feed"},
        {"this is not xml", 200, "isn't valid XML"},
        {"<rss><channel><item><title>A</title></item></channel></rss>", 200,
         "item “A” has no download"},
        {QByteArray(100 * 1024, 'x'), 200, "more than 1 MB for the update feed"},
    };
    for (const Case& c : cases) {
        server.serve("/appcast.xml", c.body, c.status);
        UpdateCheckOutcome outcome = check(makeUpdater("1.0.0"));
        EXPECT_EQ(outcome.kind, Kind::failed);
        EXPECT_NE(outcome.message.find(c.expected), std::string::npos) << outcome.message;
    }
    EXPECT_EQ(presenter.failures.size(), std::size(cases));
    EXPECT_TRUE(presenter.offers.empty());
}

// The downloads' network module is loaded on the first check; without it the check fails with
// a message that says so, and a later check with the module in place works.
TEST_F(UpdaterTest, AMissingNetworkModuleFailsTheCheckClearly) {
    publish({{"0.9.0", "", "old", {}}});
    ::setenv("MORVANTA_HTTP_MODULE", "/nonexistent/libmorvanta_http.so", 1);
    UpdateCheckOutcome outcome = check(makeUpdater("1.0.0"));
    ::unsetenv("MORVANTA_HTTP_MODULE");
    EXPECT_EQ(outcome.kind, Kind::failed);
    EXPECT_NE(outcome.message.find("Morvanta's network module couldn't be loaded"),
              std::string::npos)
        << outcome.message;
    EXPECT_EQ(presenter.failures.size(), 1u);
    outcome = check(*updater);
    EXPECT_EQ(outcome.kind, Kind::upToDate) << outcome.message;
}

TEST_F(UpdaterTest, AutomaticFailuresAreLoggedButNotShown) {
    server.serve("/appcast.xml", "not xml");
    firstCheckDelay = 50ms;
    Updater& u = makeUpdater("1.0.0");
    u.start();
    ASSERT_TRUE(testing::waitUntil([&] { return u.controller()->lastOutcome().has_value(); }));
    EXPECT_EQ(u.controller()->lastOutcome()->kind, Kind::failed);
    EXPECT_TRUE(presenter.failures.empty());
    EXPECT_TRUE(logHas("⚠️ Update check failed: The update feed isn't valid XML"));
    // The next automatic check waits a whole interval.
    EXPECT_TRUE(u.controller()->isScheduled());
    EXPECT_TRUE(defaults.number(UpdatePreferences::lastCheckKey));
}

TEST_F(UpdaterTest, TheAutomaticSwitchStartsAndStopsTheSchedule) {
    publish({});
    Updater& u = makeUpdater("1.0.0");
    u.setAutomaticallyChecksForUpdates(false);
    u.start();
    EXPECT_FALSE(u.automaticallyChecksForUpdates());
    EXPECT_FALSE(u.controller()->isScheduled());
    u.setAutomaticallyChecksForUpdates(true);
    EXPECT_TRUE(u.automaticallyChecksForUpdates());
    EXPECT_TRUE(u.controller()->isScheduled());
    u.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(u.controller()->isScheduled());
    EXPECT_EQ(server.requests("/appcast.xml"), 0);
}

TEST_F(UpdaterTest, WithoutAFeedAndAValidKeyUpdatingStaysOff) {
    publish({{"9.0.0", "", "archive", {}}});
    for (auto [feed, publicKey] : std::vector<std::pair<std::string, std::string>>{
             {server.url("/appcast.xml").toStdString(), ""},
             {"", key.publicKeyBase64()},
             {server.url("/appcast.xml").toStdString(), "bm90IGEga2V5"}}) {
        UpdaterConfiguration configuration;
        configuration.feedURL = feed;
        configuration.publicKey = publicKey;
        configuration.appVersion = "1.0.0";
        Updater off(configuration, defaults, log, presenter);
        EXPECT_FALSE(off.isAvailable());
        off.start();
        off.checkForUpdates();
        EXPECT_EQ(off.controller(), nullptr);
        EXPECT_FALSE(off.automaticallyChecksForUpdates());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requests("/appcast.xml"), 0);
    EXPECT_TRUE(logHas("⚠️ Updates are off: the update signing key isn't a base64 Ed25519"));
    EXPECT_STREQ(Updater::switchedOffText, "Updates are switched on in release builds.");
}

} // namespace
} // namespace morvanta
