// A private X server for the few tests that need a real window system, and a
// way to run the current test again on it.
#pragma once

#include <QProcess>
#include <QString>

namespace vesk::test {

// Xvfb on a display number the server picks itself, so test programs running
// at the same time never meet; stopped by its process id when the object dies.
class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool Started() const { return !name_.isEmpty(); }
    // Why it did not start, for the skip message.
    QString Failure() const { return failure_; }
    // ":N", for DISPLAY; empty when it did not start.
    QString Name() const { return name_; }

    struct Run {
        enum Outcome { Passed, Skipped, Failed } outcome = Failed;
        QString output;  // everything the copy printed
    };
    // Runs the current test alone in a copy of this test program on the X
    // platform of this display. Bounded: a copy that has not ended after two
    // minutes is killed by its process id and counts as failed.
    Run RunCurrentTest() const;

private:
    QProcess server_;
    QString name_, failure_;
};

} // namespace vesk::test
