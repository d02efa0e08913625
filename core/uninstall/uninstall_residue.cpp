#include "uninstall_residue.h"

#include "localization/l10n.h"

#include <QDir>
#include <QHashFunctions>

#include <array>

namespace {

struct KindRow
{
    UninstallResidue::Kind kind;
    const char *raw;
    const char *labelKey;
};

const std::array<KindRow, 11> kKindRows = {{
    {UninstallResidue::Kind::preferences, "preferences", "偏好设置"},
    {UninstallResidue::Kind::applicationSupport, "applicationSupport", "应用数据"},
    {UninstallResidue::Kind::caches, "caches", "缓存"},
    {UninstallResidue::Kind::containers, "containers", "沙盒容器"},
    {UninstallResidue::Kind::groupContainers, "groupContainers", "共享容器"},
    {UninstallResidue::Kind::savedState, "savedState", "窗口状态"},
    {UninstallResidue::Kind::logs, "logs", "日志"},
    {UninstallResidue::Kind::webData, "webData", "网站数据"},
    {UninstallResidue::Kind::launchAgent, "launchAgent", "登录项"},
    {UninstallResidue::Kind::receipts, "receipts", "安装收据"},
    {UninstallResidue::Kind::other, "other", "其它"},
}};

const KindRow &rowFor(UninstallResidue::Kind kind)
{
    return kKindRows[static_cast<size_t>(kind)];
}

} // namespace

QString UninstallResidue::displayPath(const QString &homeDirectory) const
{
    QString home = homeDirectory;
    if (home == QLatin1String("~") || home.startsWith(QLatin1String("~/")))
        home = QDir::homePath() + home.mid(1);
    home = QDir::cleanPath(home);
    if (home.isEmpty())
        return path;
    if (path == home)
        return QStringLiteral("~");
    // The root as home would otherwise need a second slash.
    const QString prefix = home.endsWith(QLatin1Char('/')) ? home : home + QLatin1Char('/');
    if (path.startsWith(prefix))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

const QList<UninstallResidue::Kind> &UninstallResidue::allKinds()
{
    static const QList<Kind> kinds = [] {
        QList<Kind> list;
        for (const KindRow &row : kKindRows)
            list.append(row.kind);
        return list;
    }();
    return kinds;
}

QString UninstallResidue::rawValue(Kind kind)
{
    return QString::fromLatin1(rowFor(kind).raw);
}

std::optional<UninstallResidue::Kind> UninstallResidue::kindFromRawValue(const QString &raw)
{
    for (const KindRow &row : kKindRows) {
        if (raw == QLatin1String(row.raw))
            return row.kind;
    }
    return std::nullopt;
}

QString UninstallResidue::label(Kind kind)
{
    return L(QString::fromUtf8(rowFor(kind).labelKey));
}

size_t qHash(const UninstallResidue &residue, size_t seed)
{
    return qHashMulti(seed, residue.path, static_cast<int>(residue.kind), residue.owners);
}
