#include "mount_table.h"

#include <QFile>

namespace {

QByteArray unescaped(const QByteArray &field)
{
    QByteArray text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3 && value < 256) {
                text.append(char(value));
                i += 3;
                continue;
            }
        }
        text.append(c);
    }
    return text;
}

} // namespace

QStringList MountTable::parse(const QByteArray &mountinfo)
{
    QStringList points;
    for (const QByteArray &line : mountinfo.split('\n')) {
        // "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw"
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5 || fields.at(4).isEmpty())
            continue;
        points.append(QFile::decodeName(unescaped(fields.at(4))));
    }
    return points;
}

QStringList MountTable::current()
{
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    // A file of the proc file system reports no size: read until its end.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return parse(file.readAll());
}

QString MountTable::firstAtOrBelow(const QStringList &mountPoints, const QString &path)
{
    if (path.isEmpty())
        return {};
    const QString folder = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    for (const QString &point : mountPoints) {
        if (point == path || point.startsWith(folder))
            return point;
    }
    return {};
}
