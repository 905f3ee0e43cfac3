#pragma once

// Standard output sent nowhere while this lives, and given back as it was
// when it goes: the scene reader's progress lines are the show's, and a
// tool whose own report or files come first keeps them out of it. Only for
// the tools, which are built for POSIX systems alone.
class QuietStandardOutput {
public:
    QuietStandardOutput();
    ~QuietStandardOutput();
    QuietStandardOutput(const QuietStandardOutput&) = delete;
    QuietStandardOutput& operator=(const QuietStandardOutput&) = delete;

    // False when standard output could not be sent nowhere: it is then
    // left as it was.
    bool quiet() const { return saved_ >= 0; }

private:
    // A copy of standard output as it was, -1 when it is not sent nowhere.
    int saved_ = -1;
};
