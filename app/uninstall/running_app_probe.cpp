#include "uninstall/running_app_probe.h"

#include <QDir>
#include <QFileInfo>

QStringList RunningAppProbe::runningAppNames(const QList<AppItem> &apps,
                                             const QHash<QString, QString> &overrides) const
{
    QStringList names;
    if (apps.isEmpty())
        return names;
    const QSet<QString> executables = runningExecutables();
    for (const AppItem &app : apps) {
        if (app.path.isEmpty())
            continue;
        // A bundle reached through a link runs under its real path.
        const QString real = QFileInfo(app.path).canonicalFilePath();
        QStringList prefixes{QDir::cleanPath(app.path) + QStringLiteral("/Contents/MacOS/")};
        if (!real.isEmpty())
            prefixes << real + QStringLiteral("/Contents/MacOS/");
        const bool running = std::any_of(executables.begin(), executables.end(), [&](const QString &exe) {
            return std::any_of(prefixes.begin(), prefixes.end(),
                               [&](const QString &prefix) { return exe.startsWith(prefix); });
        });
        if (running)
            names << displayName(app, overrides);
    }
    return names;
}

QSet<QString> ProcRunningAppProbe::runningExecutables() const
{
    QSet<QString> executables;
    const QDir proc(m_procRoot);
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        entry.toLongLong(&isNumber);
        if (!isNumber)
            continue;
        // Processes of other users cannot be read; they are skipped.
        const QString target = QFileInfo(proc.filePath(entry + QStringLiteral("/exe"))).symLinkTarget();
        if (!target.isEmpty())
            executables.insert(QDir::cleanPath(target));
    }
    return executables;
}
