#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The mount points this process sees, from the kernel's mountinfo table. A
// folder with a file system mounted at or below it cannot go to the Trash:
// the mount would travel with it, and emptying the Trash would delete the
// mounted files, which were never part of it.
class MountTable
{
public:
    MountTable() = delete;

    // The mount points of a mountinfo text (the fifth field of each line),
    // with the kernel's octal escapes ("\040" for a space) decoded. Lines
    // too short to hold one are skipped.
    static QStringList parse(const QByteArray &mountinfo);
    // parse() of /proc/self/mountinfo; empty when it cannot be read.
    static QStringList current();

    // The first of `mountPoints` that is `path` itself or lies below it.
    static QString firstAtOrBelow(const QStringList &mountPoints, const QString &path);
};
