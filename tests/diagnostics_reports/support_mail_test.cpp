// The support mail's text and the system facts it reports, read from a made-up root folder.
#include "app/diagnostics/crash_reports.h"
#include "tests/diagnostics_reports/report_test_folder.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

using testing::ReportTestFolder;

TEST(SupportMailTest, BodyListsTheFactsInOrder) {
    SystemFacts facts{"1.4.2",
                      "310",
                      "Debian GNU/Linux 12 (bookworm)",
                      "6.1.0-18-amd64",
                      "ThinkPad X1 Carbon Gen 9",
                      2};
    EXPECT_EQ(CrashReports::supportMailBody(facts),
              "Hi,\n\nWhat happened, and what did you expect to happen?\n\n\n\n----\n"
              "Morvanta 1.4.2 (310)\nLinux 6.1.0-18-amd64, Debian GNU/Linux 12 (bookworm)\n"
              "Computer: ThinkPad X1 Carbon Gen 9\nScreens: 2\n\n"
              "Morvanta has copied its log for you. Please paste it below (Ctrl+V):\n");
    facts.distribution.clear();
    facts.screenCount = 0;
    std::string body = CrashReports::supportMailBody(facts);
    EXPECT_NE(body.find("\nLinux 6.1.0-18-amd64\nComputer: "), std::string::npos) << body;
    EXPECT_NE(body.find("\nScreens: 0\n"), std::string::npos);
}

TEST(SupportMailTest, UrlAndLiveFacts) {
    std::string address = CrashReports::supportAddress();
    ASSERT_NE(address.find('@'), std::string::npos);
    std::string url = CrashReports::supportMailURL(1);
    EXPECT_TRUE(url.starts_with("mailto:" + address + "?subject=Morvanta%20support&body=Hi%2C%0A"))
        << url;
    EXPECT_NE(url.find("Screens%3A%201%0A"), std::string::npos);
    EXPECT_EQ(url.find_first_of(" \n+#"), std::string::npos);
    // The live facts come from this machine; they are never empty.
    SystemFacts live = SystemFacts::current(3);
    EXPECT_FALSE(live.version.empty());
    EXPECT_FALSE(live.build.empty());
    EXPECT_FALSE(live.kernel.empty());
    EXPECT_FALSE(CrashReports::machineModel().empty());
}

TEST(SupportMailTest, MachineModelSkipsPlaceholdersAndRepairsText) {
    ReportTestFolder root;
    auto dmi = root.state() / "sys/class/dmi/id";
    ReportTestFolder::write(dmi / "product_name", "To be filled by O.E.M.\n");
    ReportTestFolder::write(dmi / "board_name", "B550 \xff"
                                                "AORUS\n");
    EXPECT_EQ(SystemFacts::readMachineModel(root.state()), "B550 \xEF\xBF\xBD"
                                                           "AORUS");
    ReportTestFolder::write(dmi / "product_name", "  Latitude 7420 \n");
    EXPECT_EQ(SystemFacts::readMachineModel(root.state()), "Latitude 7420");

    // Boards without DMI name themselves in the device tree, NUL-terminated.
    ReportTestFolder arm;
    ReportTestFolder::write(arm.state() / "proc/device-tree/model",
                            std::string("Raspberry Pi 4 Model B Rev 1.4\0junk", 35));
    EXPECT_EQ(SystemFacts::readMachineModel(arm.state()), "Raspberry Pi 4 Model B Rev 1.4");

    ReportTestFolder empty; // falls back to the processor architecture
    EXPECT_FALSE(SystemFacts::readMachineModel(empty.state()).empty());
}

TEST(SupportMailTest, DistributionComesFromOsRelease) {
    ReportTestFolder root;
    ReportTestFolder::write(root.state() / "etc/os-release",
                            "NAME=\"Fedora Linux\"\nVERSION_ID=40\n"
                            "PRETTY_NAME=\"Fedora Linux 40 (Workstation \\\"Edition\\\")\"\n");
    EXPECT_EQ(SystemFacts::readDistribution(root.state()),
              "Fedora Linux 40 (Workstation \"Edition\")");

    ReportTestFolder usrLib; // the fallback location, without PRETTY_NAME
    ReportTestFolder::write(usrLib.state() / "usr/lib/os-release", "NAME=Arch\nVERSION_ID='1'\n");
    EXPECT_EQ(SystemFacts::readDistribution(usrLib.state()), "Arch 1");

    ReportTestFolder none;
    EXPECT_EQ(SystemFacts::readDistribution(none.state()), "");
}

TEST(SupportMailTest, RepairUtf8KeepsValidTextAndReplacesTheRest) {
    EXPECT_EQ(SystemFacts::repairUtf8("Café — 日本 🎉"), "Café — 日本 🎉");
    EXPECT_EQ(SystemFacts::repairUtf8("a\xC3"), "a\xEF\xBF\xBD");               // cut short
    EXPECT_EQ(SystemFacts::repairUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // overlong
    EXPECT_EQ(SystemFacts::repairUtf8("\xED\xA0\x80"),                          // a surrogate
              "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
} // namespace morvanta
