#include "scratch_home.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

void PrintTo(const UninstallResidue &residue, std::ostream *out);

namespace {

using Kind = UninstallResidue::Kind;

struct Scenario
{
    QList<AppItem> apps;
    QList<AppItem> installed;
};

struct Expected
{
    QString relativePath;
    Kind kind;
    QStringList owners;
};

struct FindRow
{
    const char *label;
    std::function<Scenario(const ScratchHome &)> setup;
    QList<Expected> expected;
};

const QString kEditorID = QStringLiteral("com.example.editor");

AppItem editor(const ScratchHome &h, const QVariantMap &extra = {})
{
    return h.bundle(QStringLiteral("Applications/Example Editor.app"), kEditorID, QStringLiteral("Example Editor"), extra);
}

QList<FindRow> findRows()
{
    return {
        {"preferences_by_identifier_and_child_namespaces",
         [](const ScratchHome &h) {
             for (const char *name : {"com.example.editor.plist", "com.example.editor.helper.plist",
                                      "com.example.editor.helper.agent.plist", "com.example.editor.foo.bar.plist"})
                 h.file(QByteArray("Library/Preferences/") + name);
             return Scenario{{editor(h)}, {}};
         },
         {{"Library/Preferences/com.example.editor.helper.agent.plist", Kind::preferences, {kEditorID}},
          {"Library/Preferences/com.example.editor.helper.plist", Kind::preferences, {kEditorID}},
          {"Library/Preferences/com.example.editor.plist", Kind::preferences, {kEditorID}}}},
        {"containers_at_word_boundaries_only",
         [](const ScratchHome &h) {
             for (const char *path : {"Library/Group Containers/ABCDE12345.com.example.editor",
                                      "Library/Group Containers/group.com.example.editor.shared",
                                      "Library/Group Containers/xcom.example.editor", "Library/Containers/com.example.editorpro",
                                      "Library/Containers/com.example.editor", "Library/Caches/ABCDE12345.com.example.editor"})
                 h.folder(path);
             return Scenario{{editor(h)}, {}};
         },
         {{"Library/Containers/com.example.editor", Kind::containers, {kEditorID}},
          {"Library/Group Containers/ABCDE12345.com.example.editor", Kind::groupContainers, {kEditorID}},
          {"Library/Group Containers/group.com.example.editor.shared", Kind::groupContainers, {kEditorID}}}},
        {"names_only_where_the_rule_takes_them",
         [](const ScratchHome &h) {
             h.folder("Library/Caches/Example Editor");
             h.folder("Library/Caches/ExampleEditor");
             h.folder("Library/Containers/Example Editor");
             return Scenario{{editor(h)}, {}};
         },
         {{"Library/Caches/Example Editor", Kind::caches, {kEditorID}},
          {"Library/Caches/ExampleEditor", Kind::caches, {kEditorID}}}},
        {"vendor_folders_entered_one_level",
         [](const ScratchHome &h) {
             h.file("Library/Application Support/Example Vendor/Example Editor/state");
             h.file("Library/Application Support/Example Vendor/Stuff/Example Editor/state");
             h.file("Library/Preferences/Unmatched/com.example.editor.plist");
             return Scenario{{editor(h)}, {}};
         },
         {{"Library/Application Support/Example Vendor/Example Editor", Kind::applicationSupport, {kEditorID}}}},
        {"sorted_by_kind_then_path",
         [](const ScratchHome &h) {
             h.file("Library/Autosave Information/Example Editor");
             h.file("Library/Logs/com.example.editor.log");
             h.file("Library/Preferences/com.example.editor.plist");
             h.folder("Library/Saved Application State/com.example.editor.savedState");
             return Scenario{{editor(h)}, {}};
         },
         {{"Library/Preferences/com.example.editor.plist", Kind::preferences, {kEditorID}},
          {"Library/Saved Application State/com.example.editor.savedState", Kind::savedState, {kEditorID}},
          {"Library/Logs/com.example.editor.log", Kind::logs, {kEditorID}},
          {"Library/Autosave Information/Example Editor", Kind::other, {kEditorID}}}},
        {"shared_entries_list_every_owner_once",
         [](const ScratchHome &h) {
             h.folder("Library/Caches/Example Suite");
             h.file("Library/Preferences/com.example.plist");
             h.file("Library/Preferences/com.example.editor.plist");
             const AppItem suite = h.bundle(QStringLiteral("Applications/Suite.app"), QStringLiteral("com.example"),
                                            QStringLiteral("Example Suite"));
             return Scenario{{editor(h, {{QStringLiteral("CFBundleName"), QStringLiteral("Example Suite")}}), suite}, {}};
         },
         {{"Library/Preferences/com.example.editor.plist", Kind::preferences, {kEditorID}},
          {"Library/Preferences/com.example.plist", Kind::preferences, {QStringLiteral("com.example")}},
          {"Library/Caches/Example Suite", Kind::caches, {QStringLiteral("com.example"), kEditorID}}}},
        {"installed_sibling_keeps_its_files",
         [](const ScratchHome &h) {
             h.file("Library/Preferences/com.example.editor.plist");
             h.file("Library/Preferences/com.example.editor.pro.plist");
             const AppItem pro = h.bundle(QStringLiteral("Applications/Pro.app"), QStringLiteral("com.example.editor.pro"),
                                          QStringLiteral("Example Editor Pro"));
             return Scenario{{editor(h)}, {editor(h), pro}};
         },
         {{"Library/Preferences/com.example.editor.plist", Kind::preferences, {kEditorID}}}},
        {"no_identifier_matches_by_name_with_the_path_as_owner",
         [](const ScratchHome &h) {
             h.folder("Library/Caches/Example Editor");
             h.folder("Library/Containers/Example Editor");
             return Scenario{{h.bundle(QStringLiteral("Applications/Example Editor.app"), {}, QStringLiteral("Example Editor"))}, {}};
         },
         {{"Library/Caches/Example Editor", Kind::caches, {QStringLiteral("%HOME%/Applications/Example Editor.app")}}}},
        {"decomposed_name_found_under_its_own_spelling",
         [](const ScratchHome &h) {
             h.folder("Library/Caches/Cafe\xcc\x81");
             return Scenario{{h.bundle(QStringLiteral("Applications/Cafe.app"), QStringLiteral("com.example.cafe"),
                                       QString::fromUtf8("Caf\xc3\xa9"))},
                             {}};
         },
         {{QString::fromUtf8("Library/Caches/Cafe\xcc\x81"), Kind::caches, {QStringLiteral("com.example.cafe")}}}},
        {"names_from_the_bundle_info",
         [](const ScratchHome &h) {
             h.folder("Library/Logs/Editrix");
             h.folder("Library/Logs/42");
             return Scenario{{editor(h, {{QStringLiteral("CFBundleName"), QStringLiteral("Editrix")},
                                         {QStringLiteral("CFBundleDisplayName"), 42}})},
                             {}};
         },
         {{"Library/Logs/Editrix", Kind::logs, {kEditorID}}}},
        {"a_folder_holding_another_apps_data_is_never_taken_whole",
         [](const ScratchHome &h) {
             h.file("Library/Application Support/Acme/Acme Notes/notes.db");
             h.file("Library/Application Support/Acme/shared.db");
             h.file("Library/Application Support/Acme/com.acme.app.plist");
             h.file("Library/Caches/Acme/cache.db");
             const AppItem acme = h.bundle(QStringLiteral("Applications/Acme.app"), QStringLiteral("com.acme.app"), QStringLiteral("Acme"));
             const AppItem notes = h.bundle(QStringLiteral("Applications/Acme Notes.app"), QStringLiteral("com.acme.notes"),
                                            QStringLiteral("Acme Notes"));
             return Scenario{{acme}, {acme, notes}};
         },
         {{"Library/Application Support/Acme/com.acme.app.plist", Kind::applicationSupport, {"com.acme.app"}},
          {"Library/Caches/Acme", Kind::caches, {"com.acme.app"}}}},
        {"a_vendor_named_like_the_app_keeps_its_other_products",
         [](const ScratchHome &h) {
             h.file("Library/Application Support/Google/Chrome/Default/History");
             h.file("Library/Application Support/Google/settings.json");
             const AppItem google = h.bundle(QStringLiteral("Applications/Google.app"), QStringLiteral("com.google.search"),
                                             QStringLiteral("Google"));
             const AppItem chrome = h.bundle(QStringLiteral("Applications/Google Chrome.app"), QStringLiteral("com.google.Chrome"),
                                             QStringLiteral("Google Chrome"));
             return Scenario{{google}, {google, chrome}};
         },
         {}},
        {"identifiers_too_short_claim_nothing",
         [](const ScratchHome &h) {
             QList<AppItem> apps;
             int serial = 0;
             for (const char *id : {"com", "a", "*", "-", " ", ".", "com.", ".com", "a..b"}) {
                 const QByteArray name(id);
                 h.file("Library/Preferences/" + name + ".plist");
                 if (name != "." && name != "..")
                     h.file("Library/Caches/" + name + "/data");
                 h.file("Library/Containers/" + name + "/data");
                 ++serial;
                 apps.append(h.bundle(QStringLiteral("Applications/Qx%1.app").arg(serial), QString::fromLatin1(id),
                                      QStringLiteral("Qx Tool %1").arg(serial)));
             }
             return Scenario{apps, {}};
         },
         {}},
        {"system_applications_are_never_candidates",
         [](const ScratchHome &h) {
             h.file("Library/Preferences/com.apple.TextEdit.plist");
             h.file("Library/Preferences/org.example.bundled.plist");
             return Scenario{{AppItem(QStringLiteral("com.apple.TextEdit"), QStringLiteral("TextEdit"), h.path(QStringLiteral("a.app"))),
                              AppItem(QStringLiteral("org.example.bundled"), QStringLiteral("Bundled"), h.path(QStringLiteral("b.app")), true)},
                             {}};
         },
         {}},
    };
}

class ResidueScanFinds : public testing::TestWithParam<FindRow>
{
};

TEST_P(ResidueScanFinds, ExactlyTheLeftoversOfTheChosenApplications)
{
    ScratchHome home;
    const Scenario scenario = GetParam().setup(home);
    LocalFileSystemAccess fs;
    const QList<UninstallResidue> found = AppResidueScanner(home.home(), fs).scan(scenario.apps, scenario.installed);

    QList<UninstallResidue> expected;
    for (const Expected &row : GetParam().expected) {
        QStringList owners;
        for (const QString &owner : row.owners)
            owners.append(QString(owner).replace(QStringLiteral("%HOME%"), home.home()));
        expected.append(UninstallResidue(home.path(row.relativePath), row.kind, owners));
    }
    EXPECT_EQ(found, expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, ResidueScanFinds, testing::ValuesIn(findRows()),
                         [](const testing::TestParamInfo<FindRow> &info) { return std::string(info.param.label); });

TEST(ResidueScan, ReadsNothingWithoutCandidates)
{
    class CountingAccess : public LocalFileSystemAccess
    {
    public:
        mutable int calls = 0;
        QList<Entry> entries(const QString &directory) const override
        {
            ++calls;
            return LocalFileSystemAccess::entries(directory);
        }
        EntryType entryType(const QString &path) const override
        {
            ++calls;
            return LocalFileSystemAccess::entryType(path);
        }
    };
    ScratchHome home;
    home.file("Library/Preferences/com.apple.finder.plist");
    CountingAccess fs;
    const AppItem system(QStringLiteral("com.example.sys"), QStringLiteral("Sys"), home.path(QStringLiteral("s.app")), true);
    EXPECT_TRUE(AppResidueScanner(home.home(), fs).scan({system}).isEmpty());
    EXPECT_EQ(fs.calls, 0);
}

} // namespace

// Printed by GoogleTest when a row fails.
void PrintTo(const UninstallResidue &residue, std::ostream *out)
{
    *out << residue.path.toStdString() << " [" << UninstallResidue::rawValue(residue.kind).toStdString() << "] "
         << residue.owners.join(QLatin1Char(',')).toStdString();
}
