// Version order, the beta-channel rule, the check schedule and the signature check.
#include "app/settings/memory_preferences_domain.h"
#include "app/shell/updates/ed25519_verifier.h"
#include "app/shell/updates/update_preferences.h"
#include "app/shell/updates/update_schedule.h"
#include "app/shell/updates/version_comparator.h"
#include "tests/shell/updates/test_signing_key.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

using namespace std::chrono_literals;

int sign(int c) {
    return (c > 0) - (c < 0);
}

TEST(VersionComparator, OrdersReleasesAndPreReleases) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"1.0", "1.0", 0},
        {"1.0", "1.0.", 0},
        {"1.0", "1.0.0", -1},
        {"1.0.1", "1.0", 1},
        {"1.2", "1.10", -1},
        {"2", "10", -1},
        {"1.010", "1.10", 0},
        {"0.9", "1.0", -1},
        {"1.0b1", "1.0", -1},
        {"1.0-beta.2", "1.0", -1},
        {"1.0-beta.2", "1.0-beta.10", -1},
        {"1.0a1", "1.0b1", -1},
        {"1.0b2", "1.0rc1", -1},
        {"1.0RC1", "1.0rc1", 0},
        {"1.0b1", "1.0.1", -1},
        {"1.1b1", "1.0.9", 1},
        {"123456789012345678901234567890", "123456789012345678901234567891", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(VersionComparator::compare(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(VersionComparator::compare(c.b, c.a)), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(VersionComparator, RecognisesVersionsItCanOrder) {
    for (const char* good : {"1", "0.9", "1.2.3-beta.4", "2.0+build.7", "10_1~rc"})
        EXPECT_TRUE(VersionComparator::isWellFormed(good)) << good;
    for (const char* bad : {"", "v1.0", "beta", "1.0 beta", "1.0/2", "1.0\n", ".1", "1.0é"})
        EXPECT_FALSE(VersionComparator::isWellFormed(bad)) << bad;
    EXPECT_FALSE(VersionComparator::isWellFormed(std::string(65, '1')));
}

TEST(UpdatePreferences, BetaChannelFollowsTheVersionUntilChosen) {
    MemoryPreferencesDomain defaults;
    EXPECT_TRUE(UpdatePreferences(defaults, "0.9").receivesBetaUpdates());
    EXPECT_FALSE(UpdatePreferences(defaults, "1.0").receivesBetaUpdates());
    EXPECT_FALSE(UpdatePreferences(defaults, "").receivesBetaUpdates());
    EXPECT_FALSE(UpdatePreferences(defaults, "10.1").receivesBetaUpdates());
    EXPECT_EQ(UpdatePreferences(defaults, "0.9").allowedChannels(), std::set<std::string>{"beta"});
    EXPECT_TRUE(UpdatePreferences(defaults, "1.0").allowedChannels().empty());

    UpdatePreferences young(defaults, "0.9");
    young.setReceivesBetaUpdates(false);
    EXPECT_FALSE(young.receivesBetaUpdates());
    EXPECT_TRUE(young.allowedChannels().empty());
    UpdatePreferences grown(defaults, "1.0");
    grown.setReceivesBetaUpdates(true);
    EXPECT_TRUE(grown.receivesBetaUpdates());

    // A value of another kind is no choice at all.
    defaults.set(UpdatePreferences::betaKey, "yes");
    EXPECT_TRUE(UpdatePreferences(defaults, "0.9").receivesBetaUpdates());
    EXPECT_FALSE(UpdatePreferences(defaults, "1.0").receivesBetaUpdates());
}

TEST(UpdatePreferences, AutomaticChecksAndLastCheckTime) {
    MemoryPreferencesDomain defaults;
    UpdatePreferences preferences(defaults, "1.0");
    EXPECT_TRUE(preferences.automaticallyChecksForUpdates());
    preferences.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(preferences.automaticallyChecksForUpdates());

    EXPECT_FALSE(preferences.lastCheckTime());
    auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000));
    preferences.setLastCheckTime(when);
    ASSERT_TRUE(preferences.lastCheckTime());
    EXPECT_LT(std::chrono::abs(*preferences.lastCheckTime() - when), 1ms);
    defaults.set(UpdatePreferences::lastCheckKey, 1e300);
    EXPECT_FALSE(preferences.lastCheckTime());
}

TEST(UpdateSchedule, NextCheckIsAnIntervalAfterTheLastButNeverAtOnce) {
    using Clock = UpdateSchedule::Clock;
    Clock::time_point now = Clock::time_point(std::chrono::hours(500'000));
    auto delay = [&](std::optional<Clock::time_point> last) {
        return UpdateSchedule::delayUntilNextCheck(last, now, 24h, 1min);
    };
    EXPECT_EQ(delay(std::nullopt), 1min);
    EXPECT_EQ(delay(now - 1h), 23h);
    EXPECT_EQ(delay(now - 30h), 1min);
    EXPECT_EQ(delay(now - 24h + 10s), 1min);
    // The clock was set back: wait one interval, not the years until "then".
    EXPECT_EQ(delay(now + std::chrono::hours(24 * 365 * 5)), 24h);
}

TEST(Ed25519Verifier, AcceptsOnlyTheRightKeyOverTheExactBytes) {
    testing::TestSigningKey key;
    testing::TestSigningKey otherKey;
    ASSERT_TRUE(key.isValid());
    QByteArray file("Morvanta 1.2.0 archive bytes\n");
    std::string signature = key.sign(file);
    auto bytes = [](const QByteArray& data) {
        return std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                         static_cast<std::size_t>(data.size()));
    };

    std::optional<Ed25519Verifier> verifier = Ed25519Verifier::fromBase64(key.publicKeyBase64());
    ASSERT_TRUE(verifier);
    EXPECT_EQ(verifier->verify(bytes(file), signature), Ed25519Verifier::Result::valid);
    QByteArray changed = file;
    changed[0] = 'm';
    EXPECT_EQ(verifier->verify(bytes(changed), signature), Ed25519Verifier::Result::mismatch);
    EXPECT_EQ(verifier->verify(bytes(file), otherKey.sign(file)),
              Ed25519Verifier::Result::mismatch);
    EXPECT_EQ(verifier->verify(bytes(file), "not base64!"),
              Ed25519Verifier::Result::malformedSignature);
    EXPECT_EQ(verifier->verify(bytes(file), QByteArray(63, 'x').toBase64().toStdString()),
              Ed25519Verifier::Result::malformedSignature);

    EXPECT_FALSE(Ed25519Verifier::fromBase64(""));
    EXPECT_FALSE(Ed25519Verifier::fromBase64(QByteArray(31, 'k').toBase64().toStdString()));
    EXPECT_FALSE(Ed25519Verifier::fromBase64("AAAA=AAA"));
}

TEST(Ed25519Verifier, DecodesStrictBase64) {
    EXPECT_EQ(Ed25519Verifier::decodeBase64(" TWFu \n"),
              (std::vector<std::uint8_t>{'M', 'a', 'n'}));
    EXPECT_EQ(Ed25519Verifier::decodeBase64("TWE="), (std::vector<std::uint8_t>{'M', 'a'}));
    EXPECT_EQ(Ed25519Verifier::decodeBase64("TQ=="), (std::vector<std::uint8_t>{'M'}));
    for (const char* bad : {"TWF", "T===", "TQ=A", "TW=u", "TWFu====", "TW-u"})
        EXPECT_FALSE(Ed25519Verifier::decodeBase64(bad)) << bad;
}

} // namespace
} // namespace morvanta
