#pragma once

#include <QString>

namespace commission {

// A copy of a live SQLite database through SQLite's online backup: servers
// go on reading and writing while it is made, and the copy is the database
// as it was at one moment. Pages are copied a few at a time with short
// pauses, so writers are never held for long; when writers keep changing the
// database under a copy in steps (each change starts it again), the rest is
// copied in one step, which in WAL mode holds no writer either. The copy is
// written under a temporary name beside the target and takes the target's
// name only once it is whole and checked, so no half-written copy remains.
class SqliteBackup {
public:
    static constexpr int pagesPerStep = 256;
    static constexpr int pauseMilliseconds = 5;
    static constexpr int restartsBeforeOneStep = 3;

    struct Result {
        QString problem;  // in Portuguese; empty when the copy was made
        int pages = 0;
    };
    // Copies `source` to `target`, which must not exist yet.
    static Result copy(const QString &source, const QString &target);
};

}  // namespace commission
