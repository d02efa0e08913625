// The whole road of an uninstall on a scratch home: scan, then the move of the
// bundle and its leftovers through the real Trash.
#include "foundation/property_list.h"
#include "support/temp_env.h"
#include "trash/freedesktop_trash.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"
#include "uninstall/residue_safety.h"
#include "uninstall/uninstall_mover.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QString originalPathIn(const QString &infoPath)
{
    QFile file(infoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("Path="))
            return QUrl::fromPercentEncoding(line.mid(5));
    }
    return {};
}

TEST(UninstallToTrash, BundleAndLeftoversGoToTheTrashAndNothingElse)
{
    TempHome home;
    const QString bundle = home.filePath(QStringLiteral("Applications/Example Editor.app"));
    writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
              PropertyList::toXml(QVariantMap{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.editor")}}));
    const AppItem app(QStringLiteral("com.example.editor"), QStringLiteral("Example Editor"), bundle);
    const AppItem other(QStringLiteral("com.example.editor.pro"), QStringLiteral("Example Editor Pro"),
                        home.filePath(QStringLiteral("Applications/Pro.app")));
    writeFile(home.filePath(QStringLiteral("Library/Preferences/com.example.editor.plist")), "prefs");
    writeFile(home.filePath(QStringLiteral("Library/Caches/Example Editor/cache.db")), "cache");
    writeFile(home.filePath(QStringLiteral("Library/Preferences/com.example.editor.pro.plist")), "pro");
    writeFile(home.filePath(QStringLiteral("Library/Caches/Example Editor Pro/cache.db")), "pro cache");

    LocalFileSystemAccess fs;
    const QList<UninstallResidue> residues = AppResidueScanner(home.path(), fs).scan({app}, {app, other});
    ASSERT_EQ(residues.size(), 2);

    const ResidueSafety safety(home.path(), {app.path, other.path}, {}, fs);
    FreedesktopTrash trash;
    const UninstallReport report =
        UninstallMover(safety, [&trash](const QStringList &paths) { return trash.moveToTrash(paths); }).run({app}, residues);

    EXPECT_FALSE(report.incomplete());
    EXPECT_EQ(report.removedAppIDs(), QSet<QString>{QStringLiteral("com.example.editor")});
    QStringList originals;
    for (const TrashOutcome &outcome : report.appResults() + report.residueResults()) {
        ASSERT_TRUE(outcome.moved) << outcome.path.toStdString() << ": " << outcome.reason.toStdString();
        EXPECT_TRUE(outcome.trashedPath.startsWith(home.filePath(QStringLiteral("data/Trash/files/"))));
        EXPECT_TRUE(QFileInfo::exists(outcome.trashedPath));
        originals.append(originalPathIn(outcome.infoPath));
    }
    EXPECT_EQ(originals, (QStringList{bundle, residues.at(0).path, residues.at(1).path}));
    EXPECT_FALSE(QFileInfo::exists(bundle));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("Library/Preferences/com.example.editor.pro.plist"))));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("Library/Caches/Example Editor Pro/cache.db"))));
}

} // namespace
