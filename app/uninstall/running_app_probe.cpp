#include "uninstall/running_app_probe.h"

#include <QDir>
#include <QFile>
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

namespace {

// A command line names a few programs at most before its arguments: the
// interpreter, its options, the script.
constexpr int kProgramWords = 4;

// The paths among the first words of a process's command line, each made
// absolute against the process's working folder. Options and bare names
// ("env", "bash") are passed over.
QStringList commandLinePrograms(const QString &processFolder)
{
    QFile file(processFolder + QStringLiteral("/cmdline"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    const QList<QByteArray> words = file.read(64 * 1024).split('\0');
    QString workingFolder;
    QStringList programs;
    for (qsizetype i = 0; i < words.size() && i < kProgramWords; ++i) {
        const QString word = QFile::decodeName(words.at(i));
        if (word.startsWith(QLatin1Char('-')))
            continue;
        if (!word.contains(QLatin1Char('/')))
            continue;
        if (QDir::isAbsolutePath(word)) {
            programs << QDir::cleanPath(word);
            continue;
        }
        if (workingFolder.isEmpty())
            workingFolder = QFileInfo(processFolder + QStringLiteral("/cwd")).symLinkTarget();
        if (!workingFolder.isEmpty())
            programs << QDir::cleanPath(workingFolder + QLatin1Char('/') + word);
    }
    return programs;
}

} // namespace

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
        if (target.isEmpty())
            continue;
        executables.insert(QDir::cleanPath(target));
        for (const QString &program : commandLinePrograms(proc.filePath(entry)))
            executables.insert(program);
    }
    return executables;
}
