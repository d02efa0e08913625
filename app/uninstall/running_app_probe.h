#pragma once

#include "model/app_item.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Which applications are running. A bundle runs when some process executes a
// program inside its Contents/MacOS folder, or runs one there through an
// interpreter (a shell or Python script names it on its command line).
class RunningAppProbe
{
public:
    virtual ~RunningAppProbe() = default;
    // The resolved paths of the programs that processes now execute, and the
    // paths their command lines name as the program run.
    virtual QSet<QString> runningExecutables() const = 0;

    // The display names (with the user's renames) of those of `apps` that
    // run, in the given order.
    QStringList runningAppNames(const QList<AppItem> &apps, const QHash<QString, QString> &overrides) const;
};

// Reads <procRoot>/<pid>/exe and <procRoot>/<pid>/cmdline of every process
// the user may look at. For a script, exe is its interpreter, and the script
// is on the command line, among its first few words that are paths.
class ProcRunningAppProbe : public RunningAppProbe
{
public:
    explicit ProcRunningAppProbe(QString procRoot = QStringLiteral("/proc")) : m_procRoot(std::move(procRoot)) {}
    QSet<QString> runningExecutables() const override;

private:
    QString m_procRoot;
};
