#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "shell/sync_marks.h"
#include "shell/timing.h"

// What an author makes in author mode: the sync marks and the timing.
struct Edit {
    SyncMarks marks;
    Timing timing;
};

// The steps of author mode that undo and redo take back and bring again,
// marks and timing in one history: each step keeps the edit before it and
// what it was, in words.
class EditHistory {
public:
    // Each step keeps the whole list of marks and the timing (some 1 kB): a
    // thousand steps back cost some 1 MB. Older steps are forgotten.
    static constexpr std::size_t kMaxUndoSteps = 1000;

    // A change is about to replace before; what says what it is.
    void record(const Edit& before, std::string what);
    // The edit of the step before (undo) or after (redo) swapped with now;
    // false when there is none. what: the step, in words.
    bool undo(Edit& now, std::string* what) { return swapStep(undo_, redo_, now, what); }
    bool redo(Edit& now, std::string* what) { return swapStep(redo_, undo_, now, what); }

private:
    struct Step {
        Edit edit;
        std::string what;
    };
    static bool swapStep(std::vector<Step>& from, std::vector<Step>& to, Edit& now, std::string* what);

    std::vector<Step> undo_;
    std::vector<Step> redo_;
};
