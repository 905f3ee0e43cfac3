// Author mode's one history of marks and timing: undo and redo swap whole
// edits, a new step forgets what was undone, and the oldest steps go first.

#include <gtest/gtest.h>

#include <string>

#include "web/edit_history.h"

namespace {

// An edit told apart by its marks' count and its end.
Edit editOf(int marks, double end) {
    Edit edit;
    edit.marks.count = marks;
    edit.timing = builtInTiming();
    edit.timing.bounds[schedule::kSegmentCount] = end;
    return edit;
}

void expectEdit(const Edit& edit, int marks, double end) {
    EXPECT_EQ(edit.marks.count, marks);
    EXPECT_EQ(edit.timing.end(), end);
}

TEST(EditHistory, UndoAndRedoSwapWholeEditsWithTheirWords) {
    EditHistory history;
    Edit now = editOf(0, 121.16);
    history.record(now, "Mark at 1.000 s");
    now = editOf(1, 121.16);
    history.record(now, "End moved to 130.000 s");
    now = editOf(1, 130.0);

    std::string what;
    ASSERT_TRUE(history.undo(now, &what));
    EXPECT_EQ(what, "End moved to 130.000 s");
    expectEdit(now, 1, 121.16);
    ASSERT_TRUE(history.undo(now, &what));
    EXPECT_EQ(what, "Mark at 1.000 s");
    expectEdit(now, 0, 121.16);
    EXPECT_FALSE(history.undo(now, &what));
    expectEdit(now, 0, 121.16);

    ASSERT_TRUE(history.redo(now, &what));
    EXPECT_EQ(what, "Mark at 1.000 s");
    expectEdit(now, 1, 121.16);
    ASSERT_TRUE(history.redo(now, &what));
    EXPECT_EQ(what, "End moved to 130.000 s");
    expectEdit(now, 1, 130.0);
    EXPECT_FALSE(history.redo(now, &what));
}

TEST(EditHistory, ANewStepAfterAnUndoForgetsWhatWasUndone) {
    EditHistory history;
    Edit now = editOf(0, 121.16);
    history.record(now, "first");
    now = editOf(1, 121.16);
    std::string what;
    ASSERT_TRUE(history.undo(now, &what));
    history.record(now, "second");
    now = editOf(2, 121.16);
    EXPECT_FALSE(history.redo(now, &what));
    expectEdit(now, 2, 121.16);
    ASSERT_TRUE(history.undo(now, &what));
    EXPECT_EQ(what, "second");
    expectEdit(now, 0, 121.16);
    EXPECT_FALSE(history.undo(now, &what));
}

TEST(EditHistory, KeepsTheNewestStepsUpToItsLimit) {
    EditHistory history;
    const int steps = int(EditHistory::kMaxUndoSteps) + 5;
    Edit now = editOf(0, 121.16);
    for (int i = 0; i < steps; ++i) {
        history.record(now, "step " + std::to_string(i));
        now = editOf(i + 1, 121.16);
    }
    std::string what;
    std::size_t undone = 0;
    while (history.undo(now, &what)) ++undone;
    EXPECT_EQ(undone, EditHistory::kMaxUndoSteps);
    // The five oldest steps are gone: the earliest edit left is the sixth.
    EXPECT_EQ(what, "step 5");
    expectEdit(now, 5, 121.16);
}

}  // namespace
