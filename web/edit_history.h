#pragma once

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
