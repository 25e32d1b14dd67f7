// The relaunch runs the program file itself with no arguments (never a shell), whatever
// characters its path holds, and only after the application has quit.
#include "app/shell/welcome/relauncher.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace morvanta {
namespace {

QString executableAt(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/false\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

TEST(Relauncher, RunsTheProgramFileDirectlyWhateverItsPathHolds) {
    QTemporaryDir dir;
    // Quotes, spaces, a command substitution and a semicolon: a shell would act on them all.
    const QString odd = executableAt(dir, "Morvanta \"beta\" $(touch pwned); echo x");
    const RelaunchCommand command = Relauncher::command(odd);
    EXPECT_EQ(command.program, odd);
    EXPECT_TRUE(command.arguments.isEmpty());
    EXPECT_NE(command.program, "/bin/sh");
}

TEST(Relauncher, AReplacedProgramRunsTheNewFileAndAMissingOneTheRunningProgram) {
    QTemporaryDir dir;
    const QString updated = executableAt(dir, "morvanta");
    EXPECT_EQ(Relauncher::command(updated + " (deleted)").program, updated);
    EXPECT_EQ(Relauncher::command(dir.filePath("gone") + " (deleted)").program, "/proc/self/exe");
    EXPECT_EQ(Relauncher::command("").program, "/proc/self/exe");
    // A file that cannot be executed is not run.
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(Relauncher::command(dir.filePath("plain")).program, "/proc/self/exe");
}

TEST(Relauncher, StartsOnlyAfterTheApplicationQuit) {
    int argc = 1;
    char name[] = "relauncher-test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    std::vector<RelaunchCommand> started;
    int quits = 0;
    bool startWorks = true;
    Relauncher relauncher([&] { ++quits; },
                          [&](const QString& program, const QStringList& args) {
                              started.push_back({program, args});
                              return startWorks;
                          });
    EXPECT_FALSE(relauncher.startIfRequested()); // nothing asked for
    EXPECT_TRUE(relauncher.request());
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(started.empty()); // the old instance is still running
    EXPECT_TRUE(relauncher.startIfRequested());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].program, QCoreApplication::applicationFilePath());
    EXPECT_TRUE(started[0].arguments.isEmpty());
    EXPECT_FALSE(relauncher.startIfRequested()); // once only

    startWorks = false;
    EXPECT_TRUE(relauncher.request());
    EXPECT_FALSE(relauncher.startIfRequested());
}

} // namespace
} // namespace morvanta
