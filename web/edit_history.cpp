#include "web/edit_history.h"

#include <utility>

void EditHistory::record(const Edit& before, std::string what) {
    if (undo_.size() == kMaxUndoSteps) undo_.erase(undo_.begin());
    undo_.push_back({before, std::move(what)});
    redo_.clear();
}

bool EditHistory::swapStep(std::vector<Step>& from, std::vector<Step>& to, Edit& now, std::string* what) {
    if (from.empty()) return false;
    Step step = std::move(from.back());
    from.pop_back();
    std::swap(now, step.edit);
    *what = step.what;
    to.push_back(std::move(step));
    return true;
}
