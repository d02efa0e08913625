#pragma once

#include "foundation/child_process.h"
#include "model/launchpad_layout.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Helpers shared by the layout-import tests.
namespace launchpad_test {

// "a b [native-4 Work: c d] | e": pages split by " | ", folders in brackets.
inline QString describe(const LaunchpadLayout &layout)
{
    QStringList pages;
    for (const LaunchpadPage &page : layout.pages) {
        QStringList entries;
        for (const LaunchpadEntry &entry : page.entries) {
            if (entry.folder) {
                QString text = QStringLiteral("[") + entry.folder->id + QLatin1Char(' ') + entry.folder->name + QLatin1Char(':');
                for (const QString &id : entry.folder->bundleIDs)
                    text += QLatin1Char(' ') + id;
                entries << text + QLatin1Char(']');
            } else {
                entries << entry.bundleID.value_or(QStringLiteral("<none>"));
            }
        }
        pages << entries.join(QLatin1Char(' '));
    }
    return pages.join(QStringLiteral(" | "));
}

// sqlite3's list output: fields joined by U+001F, one row a line.
inline QByteArray toolOutput(const QList<QStringList> &rows)
{
    QByteArray out;
    for (const QStringList &row : rows)
        out += row.join(QChar(0x1F)).toUtf8() + '\n';
    return out;
}

// Builds a fixture database with the real tool (never read by the code under
// test through this path).
inline bool createDatabase(const QString &path, const QString &sql)
{
    const auto result = ChildProcess::run(QStringLiteral("/usr/bin/sqlite3"),
                                          {QStringLiteral("-init"), QProcess::nullDevice(), path, sql}, 10000);
    return ChildProcess::output(result).has_value();
}

inline QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

inline QStringList listing(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace launchpad_test
