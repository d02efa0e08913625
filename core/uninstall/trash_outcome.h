#pragma once

#include <QString>

// What became of one path that was to go to the Trash.
struct TrashOutcome
{
    // The path as it was asked for.
    QString path;
    bool moved = false;
    // Where it is now, and the record that names its original place, when moved.
    QString trashedPath;
    QString infoPath;
    // Why it stayed, when not moved.
    QString reason;

    friend bool operator==(const TrashOutcome &, const TrashOutcome &) = default;
};
