#include "localization/l10n.h"
#include "scratch_home.h"
#include "uninstall/local_file_system_access.h"
#include "uninstall/residue_safety.h"
#include "uninstall/uninstall_mover.h"

#include <gtest/gtest.h>

namespace {

using Kind = UninstallResidue::Kind;

// A Trash that moves nothing on disk: it answers from a table of paths that
// fail, and remembers what it was asked.
struct FakeTrash
{
    QStringList failing;
    QStringList asked;
    // When set, answers name the moved paths in another spelling.
    bool respell = false;

    UninstallMover::MoveToTrash function()
    {
        return [this](const QStringList &paths, const QString &) {
            QList<TrashOutcome> outcomes;
            for (const QString &path : paths) {
                asked.append(path);
                TrashOutcome outcome;
                outcome.path = respell ? path + QStringLiteral("/.") : path;
                outcome.moved = !failing.contains(path);
                if (!outcome.moved)
                    outcome.reason = QStringLiteral("in use");
                outcomes.append(outcome);
            }
            return outcomes;
        };
    }
};

class UninstallMoverTest : public testing::Test
{
protected:
    void SetUp() override
    {
        L10n::setForTesting(AppLanguage::en);
        m_editor = m_home.bundle(QStringLiteral("Applications/Editor.app"), QStringLiteral("com.example.editor"), QStringLiteral("Editor"));
        m_viewer = m_home.bundle(QStringLiteral("Applications/Viewer.app"), QStringLiteral("com.example.viewer"), QStringLiteral("Viewer"));
        for (const char *path : {"Library/Caches/com.example.editor", "Library/Caches/com.example.viewer", "Library/Caches/Example"})
            m_home.file(QByteArray(path) + "/x");
    }
    void TearDown() override { L10n::setForTesting(AppLanguage::zhHans); }

    UninstallResidue residue(const char *relative, QStringList owners) const
    {
        return UninstallResidue(m_home.path(QString::fromUtf8(relative)), Kind::caches, owners);
    }

    ScratchHome m_home;
    LocalFileSystemAccess m_fs;
    AppItem m_editor;
    AppItem m_viewer;
};

TEST_F(UninstallMoverTest, LeftoversFollowOnlyApplicationsThatMoved)
{
    const ResidueSafety safety(m_home.home(), {m_editor.path, m_viewer.path}, {}, m_fs);
    FakeTrash trash;
    trash.failing = {m_viewer.path};
    const QList<UninstallResidue> residues = {
        residue("Library/Caches/com.example.editor", {QStringLiteral("com.example.editor")}),
        residue("Library/Caches/com.example.viewer", {QStringLiteral("com.example.viewer")}),
        residue("Library/Caches/Example", {QStringLiteral("com.example.editor"), QStringLiteral("com.example.viewer")}),
    };
    const UninstallReport report = UninstallMover(safety, trash.function()).run({m_editor, m_viewer}, residues);

    EXPECT_EQ(trash.asked, (QStringList{m_editor.path, m_viewer.path, residues.at(0).path}));
    EXPECT_EQ(report.removedAppIDs(), QSet<QString>{QStringLiteral("com.example.editor")});
    EXPECT_EQ(report.appMoved(), 1);
    EXPECT_EQ(report.residueMoved(), 1);
    EXPECT_EQ(report.residueTotal(), 3);
    EXPECT_TRUE(report.residueResults().at(1).reason.contains(QStringLiteral("com.example.viewer")));
    EXPECT_EQ(report.title(), QStringLiteral("Uninstall complete (some items remain)"));
    EXPECT_EQ(report.lines(), (QStringList{QStringLiteral("Moved 1/2 apps to the Trash."), QStringLiteral("Removed 1/3 leftover items."),
                                           QStringLiteral("Some items may be in use or inaccessible and were not removed (see Tessellon’s log on standard error)."),
                                           QStringLiteral("Everything removed can be restored from the Trash.")}));
    EXPECT_EQ(report.failureLogLines().size(), 3);
    EXPECT_TRUE(report.failureLogLines().constFirst().startsWith(QStringLiteral("[Tessellon] 卸载应用失败: ") + m_viewer.path));
}

TEST_F(UninstallMoverTest, AnswersForOtherPathsNeverCountAsMoved)
{
    // As many "moved" answers as applications, but none for their paths.
    const ResidueSafety safety(m_home.home(), {m_editor.path}, {}, m_fs);
    FakeTrash trash;
    trash.respell = true;
    const UninstallReport report = UninstallMover(safety, trash.function())
                                       .run({m_editor}, {residue("Library/Caches/com.example.editor", {QStringLiteral("com.example.editor")})});
    EXPECT_TRUE(report.removedAppIDs().isEmpty());
    EXPECT_EQ(report.appMoved(), 0);
    EXPECT_EQ(trash.asked, QStringList{m_editor.path});
    EXPECT_EQ(report.residueMoved(), 0);
}

TEST_F(UninstallMoverTest, CompleteRunReportsEveryPathMoved)
{
    const ResidueSafety safety(m_home.home(), {m_editor.path}, {}, m_fs);
    FakeTrash trash;
    const UninstallReport withoutLeftovers = UninstallMover(safety, trash.function()).run({m_editor}, {});
    EXPECT_EQ(withoutLeftovers.title(), QStringLiteral("Uninstall complete"));
    EXPECT_EQ(withoutLeftovers.lines(), (QStringList{QStringLiteral("Moved 1/1 apps to the Trash."),
                                                     QStringLiteral("Everything removed can be restored from the Trash.")}));
    EXPECT_FALSE(withoutLeftovers.incomplete());
    EXPECT_TRUE(withoutLeftovers.failureLogLines().isEmpty());
}

struct TitleRow
{
    const char *label;
    QList<bool> apps;
    QList<bool> leftovers;
    const char *englishTitle;
    bool warning;
};

class ReportTitle : public testing::TestWithParam<TitleRow>
{
protected:
    void TearDown() override { L10n::setForTesting(AppLanguage::zhHans); }
};

// The title tells the outcome: nothing uninstalled is a failure, not a
// completion, in every language.
TEST_P(ReportTitle, SaysWhatHappened)
{
    QList<AppItem> apps;
    QList<TrashOutcome> appResults;
    for (qsizetype i = 0; i < GetParam().apps.size(); ++i) {
        apps.append(AppItem(QStringLiteral("com.example.app%1").arg(i), QStringLiteral("App"), QStringLiteral("/a/%1.app").arg(i)));
        appResults.append(TrashOutcome{apps.constLast().path, GetParam().apps.at(i), {}, {}, {}});
    }
    QList<UninstallResidue> residues;
    QList<TrashOutcome> residueResults;
    for (qsizetype i = 0; i < GetParam().leftovers.size(); ++i) {
        residues.append(UninstallResidue(QStringLiteral("/h/Library/Caches/x%1").arg(i), Kind::caches, {QStringLiteral("a")}));
        residueResults.append(TrashOutcome{residues.constLast().path, GetParam().leftovers.at(i), {}, {}, {}});
    }
    const UninstallReport report(apps, appResults, residues, residueResults);
    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(report.title(), QString::fromUtf8(GetParam().englishTitle));
    EXPECT_EQ(report.incomplete(), GetParam().warning);
    L10n::setForTesting(AppLanguage::zhHans);
    const QString chinese = report.title();
    for (const AppLanguage language : {AppLanguage::fr, AppLanguage::de, AppLanguage::ja, AppLanguage::ru, AppLanguage::es}) {
        L10n::setForTesting(language);
        EXPECT_NE(report.title(), chinese) << "untranslated in " << language.rawValue().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ReportTitle,
    testing::Values(TitleRow{"AllMoved", {true}, {true}, "Uninstall complete", false},
                    TitleRow{"TheOnlyAppStayed", {false}, {}, "Uninstall failed", true},
                    TitleRow{"NoAppMovedButLeftoversDid", {false, false}, {true}, "Uninstall failed", true},
                    TitleRow{"OneOfTwoAppsStayed", {true, false}, {}, "Uninstall complete (some items remain)", true},
                    TitleRow{"ALeftoverStayed", {true}, {true, false}, "Uninstall complete (some items remain)", true}),
    [](const testing::TestParamInfo<TitleRow> &info) { return std::string(info.param.label); });

TEST(UninstallMoverPlan, HeldBackUnlessEveryOwnerMoved)
{
    const UninstallResidue shared(QStringLiteral("/h/Library/Caches/x"), Kind::caches, {QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_TRUE(UninstallMover::heldBack(shared, {QStringLiteral("a")}).has_value());
    EXPECT_FALSE(UninstallMover::heldBack(shared, {QStringLiteral("a"), QStringLiteral("b")}).has_value());
    EXPECT_TRUE(UninstallMover::heldBack(UninstallResidue(shared.path, Kind::caches, {}), {QStringLiteral("a")}).has_value());

    const QList<TrashOutcome> outcomes =
        UninstallMover::outcomesFor({QStringLiteral("/a"), QStringLiteral("/b")}, {TrashOutcome{QStringLiteral("/b"), true, {}, {}, {}}});
    ASSERT_EQ(outcomes.size(), 2);
    EXPECT_FALSE(outcomes.at(0).moved);
    EXPECT_EQ(outcomes.at(0).path, QStringLiteral("/a"));
    EXPECT_TRUE(outcomes.at(1).moved);
}

} // namespace
