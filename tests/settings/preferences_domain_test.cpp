// The preferences domain on disk: kinds survive a round trip, damaged documents are kept
// aside while the domain starts empty, and writes reach the file atomically.
#include "app/diagnostics/diagnostics_log.h"
#include "app/settings/atomic_file.h"
#include "app/settings/file_preferences_domain.h"
#include "app/settings/memory_preferences_domain.h"
#include "app/settings/preferences_document.h"
#include "tests/support/xdg_sandbox.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace morvanta {
namespace {

namespace fs = std::filesystem;
using Dictionary = PreferenceValue::Dictionary;
using Data = PreferenceValue::Data;

void writeAll(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::vector<fs::path> filesIn(const fs::path& folder, const std::string& prefix) {
    std::vector<fs::path> found;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(folder, code))
        if (entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path());
    return found;
}

Dictionary everyKind() {
    Data bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i));
    return Dictionary{
        {"yes", true},
        {"count", 42},
        {"big", std::int64_t{-9'000'000'000'000'000'000}},
        {"whole real", 3.0},
        {"ratio", 0.58},
        {"nan", std::nan("")},
        {"inf", -HUGE_VAL},
        {"text", "Zm9v"}, // looks like base64, stays a string
        {"unicode", "1 · Mail ⚠️"},
        {"bytes", bytes},
        {"empty bytes", Data{}},
        {"list", PreferenceValue::Array{1, "two", Data{3}, PreferenceValue::Array{}}},
        // Dictionaries whose keys look like the markers must come back as dictionaries.
        {"$data", Dictionary{{"$data", "Zm9v"}}},
        {"$real", Dictionary{{"$real", "nan"}, {"$$x", 1}}},
        {"nested", Dictionary{{"a", Dictionary{{"b", Dictionary{}}}}}},
    };
}

TEST(PreferencesDocument, EveryKindSurvivesTheRoundTrip) {
    Dictionary values = everyKind();
    std::string error;
    auto decoded = PreferencesDocument::decode(PreferencesDocument::encode(values), &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(*decoded, values);
    EXPECT_TRUE(decoded->at("text").isString());
    EXPECT_TRUE(decoded->at("bytes").isData());
    EXPECT_TRUE(decoded->at("whole real").isNumber());
    EXPECT_FALSE(decoded->at("whole real").isInteger());
    EXPECT_TRUE(decoded->at("$data").isDictionary());
}

TEST(PreferencesDocument, Base64FollowsTheStandardAndRefusesMalformedText) {
    auto encode = [](std::string text) {
        return PreferencesDocument::base64Encode(Data(text.begin(), text.end()));
    };
    EXPECT_EQ(encode(""), "");
    EXPECT_EQ(encode("f"), "Zg==");
    EXPECT_EQ(encode("fo"), "Zm8=");
    EXPECT_EQ(encode("foo"), "Zm9v");
    EXPECT_EQ(encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(PreferencesDocument::base64Decode("Zm8="), (Data{'f', 'o'}));
    for (const char* bad : {"Zm8", "Z===", "Zm=v", "Zm9v!A==", "=Zm9"})
        EXPECT_FALSE(PreferencesDocument::base64Decode(bad)) << bad;
}

TEST(PreferencesDocument, NullsAndBrokenMarkersAreDroppedButDepthIsBounded) {
    auto values = PreferencesDocument::decode(
        R"({"a": null, "b": {"$data": "***"}, "c": {"$real": 1}, "d": [1, null, 2]})", nullptr);
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (Dictionary{{"d", PreferenceValue::Array{1, 2}}}));

    std::string deep = std::string(1000, '[') + std::string(1000, ']');
    std::string error;
    EXPECT_FALSE(PreferencesDocument::decode("{\"k\": " + deep + "}", &error));
    EXPECT_NE(error.find("deeper"), std::string::npos);
}

TEST(PreferencesDomain, TypedReadsNeverConvertBetweenKinds) {
    MemoryPreferencesDomain domain(Dictionary{{"digits", "4"},
                                              {"number", 4},
                                              {"flag", true},
                                              {"one", 1},
                                              {"data", Data{'a'}},
                                              {"names", PreferenceValue::Array{"a", "b"}},
                                              {"mixed", PreferenceValue::Array{"a", 1}}});
    EXPECT_EQ(domain.number("digits"), std::nullopt);
    EXPECT_EQ(domain.string("number"), std::nullopt);
    EXPECT_EQ(domain.number("number"), 4.0);
    EXPECT_EQ(domain.number("flag"), std::nullopt);
    EXPECT_FALSE(domain.boolean("one"));
    EXPECT_TRUE(domain.boolean("flag"));
    EXPECT_FALSE(domain.boolean("absent"));
    EXPECT_EQ(domain.string("data"), std::nullopt);
    EXPECT_EQ(domain.data("digits"), std::nullopt);
    EXPECT_EQ(domain.stringArray("names"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(domain.stringArray("mixed"), std::nullopt);
    EXPECT_TRUE(domain.array("mixed"));
    EXPECT_EQ(domain.dictionary("names"), std::nullopt);
}

TEST(FilePreferencesDomain, WritesTheStandardDocumentAndReadsItBack) {
    testing::XdgSandbox sandbox;
    fs::path file = sandbox.config() / "morvanta" / "org.morvanta.Morvanta.json";
    {
        FilePreferencesDomain domain(std::string(FilePreferencesDomain::standardDomainName),
                                     nullptr);
        EXPECT_EQ(domain.filePath(), file);
        for (const auto& [key, value] : everyKind())
            domain.set(key, value);
        domain.set("gone", 1);
        domain.remove("gone");
        EXPECT_TRUE(domain.persisting());
    }
    FilePreferencesDomain again("org.morvanta.Morvanta", nullptr);
    for (const auto& [key, value] : everyKind())
        EXPECT_EQ(again.object(key), value) << key;
    EXPECT_FALSE(again.object("gone"));
    EXPECT_EQ(again.string("text"), "Zm9v");
    EXPECT_EQ(again.data("text"), std::nullopt);
    // Only the document is left behind: no temporaries.
    EXPECT_EQ(filesIn(file.parent_path(), "").size(), 1u);
}

TEST(FilePreferencesDomain, RemovingTheDomainDeletesItsFileOnly) {
    testing::XdgSandbox sandbox;
    FilePreferencesDomain standard("org.morvanta.Morvanta", nullptr);
    standard.set("innerGap", 8);
    FilePreferencesDomain selfTest(std::string(FilePreferencesDomain::selfTestDomainName), nullptr);
    selfTest.set("innerGap", 2);
    selfTest.removeDomain();
    EXPECT_FALSE(selfTest.object("innerGap"));
    EXPECT_FALSE(fs::exists(*selfTest.filePath()));
    EXPECT_TRUE(fs::exists(*standard.filePath()));
    selfTest.set("after", true); // the domain keeps working and starts a new file
    EXPECT_EQ(FilePreferencesDomain("org.morvanta.Morvanta.selftest", nullptr).object("after"),
              PreferenceValue(true));
}

struct BadDocument {
    std::string name;
    std::string bytes;
};

class DamagedDocument : public ::testing::TestWithParam<BadDocument> {};

TEST_P(DamagedDocument, IsKeptAsideAndTheDomainStartsEmpty) {
    testing::XdgSandbox sandbox;
    fs::path folder = sandbox.config() / "morvanta";
    fs::path file = folder / "org.morvanta.Morvanta.json";
    writeAll(file, GetParam().bytes);
    DiagnosticsLog log(std::nullopt);

    FilePreferencesDomain domain("org.morvanta.Morvanta", &log);
    EXPECT_FALSE(domain.object("innerGap"));
    auto aside = filesIn(folder, "org.morvanta.Morvanta.json.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(
        std::regex_search(aside[0].filename().string(), std::regex(R"(\.corrupt-\d{8}T\d{6}Z$)")))
        << aside[0];
    EXPECT_EQ(fs::file_size(aside[0]), GetParam().bytes.size());
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("] ⚠️ Settings file "), std::string::npos) << log.lines()[0];
    EXPECT_NE(log.lines()[0].find(aside[0].filename().string()), std::string::npos);

    domain.set("innerGap", 6);
    EXPECT_EQ(FilePreferencesDomain("org.morvanta.Morvanta", nullptr).number("innerGap"), 6.0);
}

std::string hugeDocument() {
    std::string text = "{\"padding\": \"";
    text.append(50 * 1024 * 1024, 'a');
    return text + "\"}";
}

INSTANTIATE_TEST_SUITE_P(
    Documents, DamagedDocument,
    ::testing::Values(BadDocument{"truncated", R"({"innerGap": 4, "workspaceNa)"},
                      BadDocument{"topLevelArray", R"([{"innerGap": 4}])"},
                      BadDocument{"topLevelString", R"("innerGap")"}, BadDocument{"empty", ""},
                      BadDocument{"invalidUtf8", "{\"borderColor\": \"#2A\xff\xfe\"}"},
                      BadDocument{"deeplyNested", "{\"a\": " + std::string(100000, '[') +
                                                      std::string(100000, ']') + "}"},
                      BadDocument{"fiftyMegabytes", hugeDocument()}),
    [](const auto& info) { return info.param.name; });

TEST(FilePreferencesDomain, FailedSavesWarnOnceAndKeepValuesInMemory) {
    testing::XdgSandbox sandbox;
    writeAll(sandbox.config() / "morvanta", "a file where the folder belongs");
    DiagnosticsLog log(std::nullopt);
    FilePreferencesDomain domain("org.morvanta.Morvanta", &log);
    domain.set("a", 1);
    domain.set("b", 2);
    EXPECT_EQ(domain.number("b"), 2.0);
    EXPECT_FALSE(domain.persisting());
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_NE(log.lines()[0].find("⚠️ Settings could not be saved"), std::string::npos);
}

TEST(FilePreferencesDomain, TemporariesOfDeadWritersAreClearedButLiveOnesStay) {
    testing::XdgSandbox sandbox;
    fs::path folder = sandbox.config() / "morvanta";
    // A child that has exited and been reaped leaves a process id nobody holds.
    pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    fs::path stale = folder / (".org.morvanta.Morvanta.json.tmp-" + std::to_string(dead) + "-0");
    fs::path live = folder / (".org.morvanta.Morvanta.json.tmp-" + std::to_string(getpid()) + "-9");
    writeAll(stale, "{\"torn");
    writeAll(live, "{\"being written");
    FilePreferencesDomain domain("org.morvanta.Morvanta", nullptr);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
}

} // namespace
} // namespace morvanta
