// Trees built to trick the leftover cleaning into taking what is not an
// uninstalled application's: each one is scanned, then every residue found is
// accepted and moved through the real checks, and the guarded entries must
// be neither returned nor asked of the Trash, and must be left exactly as
// they were.
#include "scratch_home.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"
#include "uninstall/residue_safety.h"
#include "uninstall/uninstall_mover.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Tree
{
    QList<AppItem> apps;
    QList<AppItem> installed;
    // Relative to the home.
    QStringList protectedFolders;
    // Entries never to be returned by the scan nor moved (relative, bytes).
    QList<QByteArray> guarded;
    // Run between the scan and the move.
    std::function<void()> betweenScanAndMove;
    // Entries that may be found by the scan but must stay after the move.
    QList<QByteArray> staysAfterMove;
};

struct DangerRow
{
    const char *label;
    std::function<Tree(const ScratchHome &)> build;
};

const QString kEditorID = QStringLiteral("com.example.editor");

AppItem editor(const ScratchHome &h, const QVariantMap &extra = {})
{
    return h.bundle(QStringLiteral("Applications/Example Editor.app"), kEditorID, QStringLiteral("Example Editor"), extra);
}

// A folder with a file in it, outside the Library folder.
QByteArray precious(const ScratchHome &h, const QByteArray &relative)
{
    h.file(relative + "/keep.txt", "precious");
    return h.nativePath(relative);
}

QList<DangerRow> dangerRows()
{
    return {
        {"entry_links_leading_out_of_the_library",
         [](const ScratchHome &h) {
             const QByteArray outside = precious(h, "Documents/work");
             h.link("Library/Caches/com.example.editor", outside);
             h.link("Library/Application Support/Example Editor", outside);
             h.link("Library/Preferences/com.example.editor.plist", h.nativePath("Documents/work/keep.txt"));
             return Tree{{editor(h)}, {}, {},
                         {"Documents/work", "Documents/work/keep.txt", "Library/Caches/com.example.editor",
                          "Library/Application Support/Example Editor", "Library/Preferences/com.example.editor.plist"},
                         {}, {}};
         }},
        {"entry_link_to_another_applications_file",
         [](const ScratchHome &h) {
             h.file("Library/Preferences/org.other.tool.plist", "other");
             h.link("Library/Preferences/com.example.editor.plist", "org.other.tool.plist");
             return Tree{{editor(h)}, {}, {},
                         {"Library/Preferences/org.other.tool.plist", "Library/Preferences/com.example.editor.plist"}, {}, {}};
         }},
        {"rule_folders_that_are_links",
         [](const ScratchHome &h) {
             precious(h, "Documents/caches/com.example.editor");
             precious(h, "Documents/prefs/ByHost/com.example.editor.plist");
             h.file("Documents/prefs/com.example.editor.plist", "precious");
             h.link("Library/Caches", h.nativePath("Documents/caches"));
             h.link("Library/Preferences", "../Documents/prefs");
             return Tree{{editor(h)}, {}, {},
                         {"Documents/caches/com.example.editor", "Documents/prefs/com.example.editor.plist",
                          "Documents/prefs/ByHost/com.example.editor.plist", "Library/Caches", "Library/Preferences"},
                         {}, {}};
         }},
        {"library_folder_that_is_a_link",
         [](const ScratchHome &h) {
             precious(h, "Documents/lib/Caches/com.example.editor");
             h.link("Library", h.nativePath("Documents/lib"));
             return Tree{{editor(h)}, {}, {}, {"Documents/lib/Caches/com.example.editor", "Library"}, {}, {}};
         }},
        {"vendor_folder_that_is_a_link",
         [](const ScratchHome &h) {
             precious(h, "Documents/vendor/Example Editor");
             h.link("Library/Application Support/Example Vendor", h.nativePath("Documents/vendor"));
             return Tree{{editor(h)}, {}, {}, {"Documents/vendor/Example Editor", "Library/Application Support/Example Vendor"}, {}, {}};
         }},
        {"personal_data_names_at_every_level",
         [](const ScratchHome &h) {
             h.file("Library/Application Support/Mail/inbox");
             h.file("Library/Caches/Example Vendor/Mail/inbox");
             h.file("Library/Caches/Cookies/com.example.mail/x");
             h.file("Library/Logs/Address Book/com.example.mail.log");
             h.file("Library/Preferences/com.apple.mail.plist");
             h.file("Library/Containers/com.example.mail/Data/Library/Keychains/login");
             const AppItem mail = h.bundle(QStringLiteral("Applications/Mail.app"), QStringLiteral("com.example.mail"),
                                           QStringLiteral("Mail"), {{QStringLiteral("CFBundleName"), QStringLiteral("Address Book")}});
             return Tree{{mail}, {}, {},
                         {"Library/Application Support/Mail", "Library/Caches/Example Vendor/Mail", "Library/Caches/Cookies",
                          "Library/Caches/Cookies/com.example.mail", "Library/Logs/Address Book",
                          "Library/Logs/Address Book/com.example.mail.log", "Library/Preferences/com.apple.mail.plist"},
                         {}, {}};
         }},
        {"rule_folder_named_like_the_application",
         [](const ScratchHome &h) {
             h.file("Library/Preferences/ByHost/x.plist");
             const AppItem byHost = h.bundle(QStringLiteral("Applications/ByHost.app"), QStringLiteral("com.example.byhost"),
                                             QStringLiteral("ByHost"));
             return Tree{{byHost}, {}, {}, {"Library/Preferences/ByHost", "Library/Preferences/ByHost/x.plist"}, {}, {}};
         }},
        {"siblings_sharing_a_prefix",
         [](const ScratchHome &h) {
             for (const char *path : {"Library/Preferences/com.example.editor.pro.plist", "Library/Preferences/com.example.editorial.plist",
                                      "Library/Preferences/com.example.editor.foo.bar.plist", "Library/Containers/com.example.editorpro",
                                      "Library/Containers/com.example.editor.pro", "Library/Group Containers/xcom.example.editor",
                                      "Library/Group Containers/group.com.example.editor.pro.shared", "Library/Caches/Example Editor Pro"})
                 h.file(QByteArray(path) + "/x");
             const AppItem pro = h.bundle(QStringLiteral("Applications/Pro.app"), QStringLiteral("com.example.editor.pro"),
                                          QStringLiteral("Example Editor Pro"));
             return Tree{{editor(h)}, {editor(h), pro}, {},
                         {"Library/Preferences/com.example.editor.pro.plist", "Library/Preferences/com.example.editorial.plist",
                          "Library/Preferences/com.example.editor.foo.bar.plist", "Library/Containers/com.example.editorpro",
                          "Library/Containers/com.example.editor.pro", "Library/Group Containers/xcom.example.editor",
                          "Library/Group Containers/group.com.example.editor.pro.shared", "Library/Caches/Example Editor Pro"},
                         {}, {}};
         }},
        {"other_applications_bundles_inside_matched_folders",
         [](const ScratchHome &h) {
             const AppItem tool = h.bundle(QStringLiteral("Library/Application Support/com.example.editor/Tool.app"),
                                           QStringLiteral("org.other.tool"), QStringLiteral("Tool"));
             const AppItem viewer = h.bundle(QStringLiteral("Library/Caches/Example Editor/Plugins/Viewer.app"),
                                             QStringLiteral("org.other.viewer"), QStringLiteral("Viewer"));
             const AppItem self = h.bundle(QStringLiteral("Library/Application Support/Example Vendor/Example Editor/Example Editor.app"),
                                           kEditorID, QStringLiteral("Example Editor"));
             return Tree{{self}, {self, tool, viewer}, {},
                         {"Library/Application Support/com.example.editor", "Library/Caches/Example Editor",
                          "Library/Application Support/Example Vendor/Example Editor"},
                         {}, {}};
         }},
        {"generic_and_one_character_names",
         [](const ScratchHome &h) {
             for (const char *path : {"Library/Caches/x", "Library/Caches/helper", "Library/Caches/App", "Library/Caches/data",
                                      "Library/Application Support/X", "Library/Preferences/x.plist", "Library/Logs/1234"})
                 h.file(QByteArray(path) + "/keep");
             const AppItem x = h.bundle(QStringLiteral("Applications/Data.app"), QStringLiteral("com.example.x"), QStringLiteral("X"),
                                        {{QStringLiteral("CFBundleName"), QStringLiteral("Helper")},
                                         {QStringLiteral("CFBundleExecutable"), QStringLiteral("App")},
                                         {QStringLiteral("CFBundleDisplayName"), QStringLiteral("1234")}});
             return Tree{{x}, {}, {},
                         {"Library/Caches/x", "Library/Caches/helper", "Library/Caches/App", "Library/Caches/data",
                          "Library/Application Support/X", "Library/Preferences/x.plist", "Library/Logs/1234"},
                         {}, {}};
         }},
        {"names_spelling_another_vendors_identifier",
         [](const ScratchHome &h) {
             for (const char *path : {"Library/Preferences/com.apple.dock.plist", "Library/Preferences/com.apple.finder.plist",
                                      "Library/Caches/com.apple.dock", "Library/Caches/com.google.Chrome",
                                      "Library/Application Support/group.com.apple.dock"})
                 h.file(QByteArray(path) + "/keep");
             const AppItem crafted = h.bundle(QStringLiteral("Applications/com.apple.dock.app"), QStringLiteral("com.evil.tool"),
                                              QStringLiteral("com.apple.dock"),
                                              {{QStringLiteral("CFBundleName"), QStringLiteral("com.apple.finder")},
                                               {QStringLiteral("CFBundleExecutable"), QStringLiteral("com.google.chrome")}});
             return Tree{{crafted}, {}, {},
                         {"Library/Preferences/com.apple.dock.plist", "Library/Preferences/com.apple.finder.plist",
                          "Library/Caches/com.apple.dock", "Library/Caches/com.google.Chrome",
                          "Library/Application Support/group.com.apple.dock"},
                         {}, {}};
         }},
        {"short_or_embedded_identifiers_claim_no_prefix",
         [](const ScratchHome &h) {
             for (const char *path : {"Library/Preferences/com.example.editor.plist", "Library/Preferences/com.example.helper.plist",
                                      "Library/Group Containers/ABCDE12345.com.example.shared",
                                      "Library/Group Containers/group.com.apple.sharing.sync.engine",
                                      "Library/Containers/com.apple.sharing.sync.engine", "Library/Application Scripts/com.example.helper"})
                 h.file(QByteArray(path) + "/keep");
             const AppItem suite = h.bundle(QStringLiteral("Applications/Suite.app"), QStringLiteral("com.example"),
                                            QStringLiteral("Suite Thing"));
             const AppItem sync = h.bundle(QStringLiteral("Applications/Sync.app"), QStringLiteral("sharing.sync.engine"),
                                           QStringLiteral("Sync Engine"));
             return Tree{{suite, sync}, {}, {},
                         {"Library/Preferences/com.example.editor.plist", "Library/Preferences/com.example.helper.plist",
                          "Library/Group Containers/ABCDE12345.com.example.shared",
                          "Library/Group Containers/group.com.apple.sharing.sync.engine",
                          "Library/Containers/com.apple.sharing.sync.engine", "Library/Application Scripts/com.example.helper"},
                         {}, {}};
         }},
        {"entries_another_installed_application_also_matches",
         [](const ScratchHome &h) {
             for (const char *path : {"Library/Caches/Example Editor", "Library/Application Support/ExampleEditor",
                                      "Library/Caches/editor", "Library/Application Support/Other Vendor/Example Editor",
                                      "Library/Application Support/org.fork.suite/Example Editor"})
                 h.file(QByteArray(path) + "/keep");
             const AppItem fork = h.bundle(QStringLiteral("Applications/Fork.app"), QStringLiteral("org.fork.exampleeditor"),
                                           QStringLiteral("Example Editor"));
             const AppItem plain = h.bundle(QStringLiteral("Applications/Editor.app"), QStringLiteral("org.plain.ed"),
                                            QStringLiteral("Editor"));
             const AppItem vendor = h.bundle(QStringLiteral("Applications/Other.app"), QStringLiteral("org.other.x"),
                                             QStringLiteral("Other Vendor"));
             const AppItem suite = h.bundle(QStringLiteral("Applications/Suite.app"), QStringLiteral("org.fork.suite"),
                                            QStringLiteral("Fork Suite"));
             return Tree{{editor(h)}, {editor(h), fork, plain, vendor, suite}, {},
                         {"Library/Caches/Example Editor", "Library/Application Support/ExampleEditor", "Library/Caches/editor",
                          "Library/Application Support/Other Vendor/Example Editor",
                          "Library/Application Support/org.fork.suite/Example Editor"},
                         {}, {}};
         }},
        {"names_that_are_not_utf8",
         [](const ScratchHome &h) {
             h.file("Library/Containers/com.example.editor\xfe/keep");
             h.file("Library/Caches/Example Editor\xff/keep");
             h.file("Library/Application Support/Example Vendor\xff/Example Editor/keep");
             h.file("Library/Preferences/com.example.editor.\xc0\xae.plist");
             return Tree{{editor(h)}, {}, {},
                         {"Library/Containers/com.example.editor\xfe", "Library/Caches/Example Editor\xff",
                          "Library/Application Support/Example Vendor\xff/Example Editor",
                          "Library/Preferences/com.example.editor.\xc0\xae.plist"},
                         {}, {}};
         }},
        {"decomposed_names_of_another_application",
         [](const ScratchHome &h) {
             h.file("Library/Caches/Cafe\xcc\x81/keep");
             h.file("Library/Group Containers/group.com.example.cafe\xcc\x81/keep");
             h.file("Library/Preferences/com.example.cafe\xcc\x81.plist");
             const AppItem cafe = h.bundle(QStringLiteral("Applications/Cafe.app"), QStringLiteral("com.example.cafe"),
                                           QStringLiteral("Cafe"));
             const AppItem accented = h.bundle(QStringLiteral("Applications/Accented.app"), QStringLiteral("org.other.accented"),
                                               QString::fromUtf8("Caf\xc3\xa9"));
             return Tree{{cafe}, {cafe, accented}, {},
                         {"Library/Caches/Cafe\xcc\x81", "Library/Group Containers/group.com.example.cafe\xcc\x81",
                          "Library/Preferences/com.example.cafe\xcc\x81.plist"},
                         {}, {}};
         }},
        {"the_launchers_own_and_scanned_folders",
         [](const ScratchHome &h) {
             h.file("Library/Application Support/Example Editor/Apps/keep");
             h.file("Library/Caches/com.example.editor/state/layout.json");
             h.file("Library/Logs/Example Editor/keep");
             return Tree{{editor(h)}, {}, {"Library/Application Support/Example Editor/Apps", "Library/Caches/com.example.editor/state",
                                          "Library/Logs"},
                         {"Library/Application Support/Example Editor", "Library/Caches/com.example.editor",
                          "Library/Logs/Example Editor"},
                         {}, {}};
         }},
        {"entry_swapped_for_a_link_after_the_scan",
         [](const ScratchHome &h) {
             h.file("Library/Caches/Example Editor/cache.db");
             const QByteArray outside = precious(h, "Documents/work");
             return Tree{{editor(h)}, {}, {}, {"Documents/work", "Documents/work/keep.txt"},
                         [&h, outside] {
                             h.remove("Library/Caches/Example Editor");
                             h.link("Library/Caches/Example Editor", outside);
                         },
                         {"Library/Caches/Example Editor"}};
         }},
        {"parent_swapped_for_a_link_after_the_scan",
         [](const ScratchHome &h) {
             h.file("Library/Logs/Example Editor/run.log");
             precious(h, "Documents/logs/Example Editor");
             return Tree{{editor(h)}, {}, {}, {"Documents/logs/Example Editor", "Documents/logs/Example Editor/keep.txt"},
                         [&h] {
                             h.remove("Library/Logs");
                             h.link("Library/Logs", h.nativePath("Documents/logs"));
                         },
                         {"Library/Logs"}};
         }},
        {"library_swapped_for_a_link_after_the_scan",
         [](const ScratchHome &h) {
             h.file("Library/Caches/Example Editor/cache.db");
             h.folder("Documents");
             return Tree{{editor(h)}, {}, {}, {},
                         [&h] {
                             ASSERT_EQ(std::rename(h.nativePath("Library").constData(), h.nativePath("Documents/lib").constData()), 0);
                             h.link("Library", h.nativePath("Documents/lib"));
                         },
                         {"Library", "Documents/lib/Caches/Example Editor", "Documents/lib/Caches/Example Editor/cache.db"}};
         }},
        {"bundle_placed_in_a_leftover_after_the_scan",
         [](const ScratchHome &h) {
             h.file("Library/Application Support/com.example.editor/data");
             AppItem other = h.bundle(QStringLiteral("Elsewhere/Other.app"), QStringLiteral("org.other.app"), QStringLiteral("Other"));
             other.path = h.path(QStringLiteral("Library/Application Support/com.example.editor/Other.app"));
             return Tree{{editor(h)}, {editor(h), other}, {}, {},
                         [&h] {
                             h.file("Library/Application Support/com.example.editor/Other.app/Contents/Info.plist", "x");
                         },
                         {"Library/Application Support/com.example.editor/Other.app"}};
         }},
    };
}

bool related(const QByteArray &a, const QByteArray &b)
{
    return a == b || a.startsWith(b + '/') || b.startsWith(a + '/');
}

class DangerousTree : public testing::TestWithParam<DangerRow>
{
};

TEST_P(DangerousTree, NeverReachesTheTrash)
{
    ScratchHome home;
    QTemporaryDir trashDir;
    const Tree tree = GetParam().build(home);
    LocalFileSystemAccess fs;
    QStringList protectedPaths;
    for (const QString &relative : tree.protectedFolders)
        protectedPaths.append(home.path(relative));

    const QList<UninstallResidue> residues = AppResidueScanner(home.home(), fs, protectedPaths).scan(tree.apps, tree.installed);
    for (const UninstallResidue &residue : residues) {
        for (const QByteArray &guarded : tree.guarded)
            EXPECT_FALSE(related(QFile::encodeName(residue.path), home.nativePath(guarded)))
                << "returned " << residue.path.toStdString() << " which touches " << guarded.constData();
    }

    QList<QByteArray> kept = tree.guarded;
    kept += tree.staysAfterMove;
    if (tree.betweenScanAndMove)
        tree.betweenScanAndMove();
    QList<QByteArray> before;
    for (const QByteArray &entry : kept)
        before.append(entryState(home.nativePath(entry)));

    QStringList installedPaths;
    for (const AppItem &app : tree.installed + tree.apps)
        installedPaths.append(app.path);
    const ResidueSafety safety(home.home(), installedPaths, protectedPaths, fs);
    QStringList asked;
    int serial = 0;
    const UninstallMover mover(safety, [&](const QStringList &paths, const QString &) {
        QList<TrashOutcome> outcomes;
        for (const QString &path : paths) {
            asked.append(path);
            TrashOutcome outcome;
            outcome.path = path;
            outcome.trashedPath = trashDir.filePath(QString::number(++serial));
            outcome.moved = std::rename(QFile::encodeName(path).constData(), QFile::encodeName(outcome.trashedPath).constData()) == 0;
            outcomes.append(outcome);
        }
        return outcomes;
    });
    const UninstallReport report = mover.run(tree.apps, residues);

    for (const QString &path : asked) {
        // The bundles being uninstalled go, whatever folder holds them.
        if (std::any_of(tree.apps.cbegin(), tree.apps.cend(), [&](const AppItem &app) { return app.path == path; }))
            continue;
        for (const QByteArray &guarded : kept)
            EXPECT_FALSE(related(QFile::encodeName(path), home.nativePath(guarded)))
                << "asked the Trash for " << path.toStdString() << " which touches " << guarded.constData();
    }
    for (qsizetype i = 0; i < kept.size(); ++i)
        EXPECT_EQ(entryState(home.nativePath(kept.at(i))), before.at(i)) << kept.at(i).constData() << " changed";
    // Whatever was held back is reported as such, with a reason.
    EXPECT_EQ(report.residueResults().size(), residues.size());
    for (const TrashOutcome &result : report.residueResults()) {
        if (!result.moved) {
            EXPECT_FALSE(result.reason.isEmpty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Trees, DangerousTree, testing::ValuesIn(dangerRows()),
                         [](const testing::TestParamInfo<DangerRow> &info) { return std::string(info.param.label); });

TEST(DangerousTree, SwappedEntryIsReportedAsLeftInPlace)
{
    ScratchHome home;
    home.file("Library/Caches/Example Editor/cache.db");
    home.file("Documents/work/keep.txt");
    const AppItem app = editor(home);
    LocalFileSystemAccess fs;
    const QList<UninstallResidue> residues = AppResidueScanner(home.home(), fs).scan({app});
    ASSERT_EQ(residues.size(), 1);

    home.remove("Library/Caches/Example Editor");
    home.link("Library/Caches/Example Editor", home.nativePath("Documents/work"));
    const ResidueSafety safety(home.home(), {app.path}, {}, fs);
    QStringList asked;
    const UninstallMover mover(safety, [&](const QStringList &paths, const QString &) {
        asked += paths;
        QList<TrashOutcome> outcomes;
        for (const QString &path : paths)
            outcomes.append(TrashOutcome{path, true, {}, {}, {}});
        return outcomes;
    });
    const UninstallReport report = mover.run({app}, residues);
    EXPECT_EQ(asked, QStringList{app.path});
    ASSERT_EQ(report.residueResults().size(), 1);
    EXPECT_FALSE(report.residueResults().constFirst().moved);
    EXPECT_EQ(report.residueResults().constFirst().reason, QStringLiteral("a symbolic link"));
    EXPECT_EQ(report.residueMoved(), 0);
    EXPECT_TRUE(report.incomplete());
}

} // namespace
