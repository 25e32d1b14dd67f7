// The model's value types: labels, letter numbers, layout kinds' stored forms, text forms.
#include "core/core.h"

#include <gtest/gtest.h>

namespace morvanta {
namespace {

TEST(WorkspaceNumbers, LabelsAtTheLetterBoundaries) {
    EXPECT_EQ(workspaceLabel(1), "1");
    EXPECT_EQ(workspaceLabel(100), "100");
    EXPECT_EQ(workspaceLabel(101), "A");
    EXPECT_EQ(workspaceLabel(126), "Z");
    EXPECT_EQ(workspaceLabel(127), "127");
    EXPECT_EQ(workspaceLabel(-3), "-3");
}

TEST(WorkspaceNumbers, LetterNumberOfTypedCharacters) {
    EXPECT_EQ(letterWorkspaceNumber("a"), 101);
    EXPECT_EQ(letterWorkspaceNumber("A"), 101);
    EXPECT_EQ(letterWorkspaceNumber("z"), 126);
    EXPECT_EQ(letterWorkspaceNumber("1"), std::nullopt);
    EXPECT_EQ(letterWorkspaceNumber("\xC3\xA9"), std::nullopt);  // é, precomposed
    EXPECT_EQ(letterWorkspaceNumber("e\xCC\x81"), std::nullopt); // e + combining acute
    EXPECT_EQ(letterWorkspaceNumber(""), std::nullopt);
    EXPECT_EQ(letterWorkspaceNumber("\xFF"), std::nullopt); // not UTF-8
    EXPECT_EQ(letterWorkspaceNumber("\xC3"), std::nullopt); // truncated
    // Upper-casing ß gives "SS": its first letter names S.
    EXPECT_EQ(letterWorkspaceNumber("\xC3\x9F"), 119);
}

TEST(LayoutKinds, RawValuesRoundTripAndUnknownsDoNotDecode) {
    for (LayoutKind kind : allLayoutKinds)
        EXPECT_EQ(layoutKindFromRaw(rawValue(kind)), kind);
    EXPECT_EQ(rawValue(LayoutKind::mainStack), "mainStack");
    EXPECT_EQ(layoutKindFromRaw("mainstack"), std::nullopt);
    EXPECT_EQ(layoutKindFromRaw(""), std::nullopt);
}

TEST(Records, TextForms) {
    EXPECT_EQ(WindowID{7}.description(), "w7");
    EXPECT_EQ(directionFromRaw("up"), Direction::up);
    EXPECT_EQ(directionFromRaw("north"), std::nullopt);
}

} // namespace
} // namespace morvanta
