// The launcher view's uninstall entry points: the query of the preview, the
// delete badge's tap and the first-badge preview outside edit mode.
#include "launcher_session_test_support.h"

#include "launcher/launcher_view.h"
#include "modal/uninstall_requests.h"
#include "tiles/icon_provider.h"

#include "foundation/log.h"

#include <QCoreApplication>

namespace {

using session_test::SessionTest;

struct Request
{
    QStringList appIDs;
    bool previewOnly = false;
    friend bool operator==(const Request &, const Request &) = default;
};

class RecordingRequests : public UninstallRequests
{
public:
    QList<Request> requests;
    void uninstall(const QStringList &appIDs, bool previewOnly) override { requests.append({appIDs, previewOnly}); }
};

class UninstallEntryTest : public SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        makeApp(appsDir(), QStringLiteral("Aalpha Pro"), QStringLiteral("com.other.pro"));
        makeApp(appsDir(), QStringLiteral("Alpha"), QStringLiteral("com.example.alpha"));
        session = makeSession();
        session->start();
        view = std::make_unique<LauncherView>(QRect(0, 0, 1200, 800), *session, icons, session->options());
        view->setUninstallRequests(&requests);
        Log::setSink([this](const QString &line) { log << line; });
    }

    void TearDown() override
    {
        Log::setSink({});
        view.reset();
        session.reset();
        SessionTest::TearDown();
    }

    std::unique_ptr<LauncherSession> session;
    IconProvider icons;
    std::unique_ptr<LauncherView> view;
    RecordingRequests requests;
    QStringList log;
};

struct QueryCase
{
    const char *name;
    const char *query;
    const char *appID; // nullptr: nothing found
    const char *line;
};

class PreviewQueryTest : public UninstallEntryTest, public testing::WithParamInterface<QueryCase>
{
};

TEST_P(PreviewQueryTest, PicksTheAppTheQueryNames)
{
    const QueryCase &row = GetParam();
    view->previewUninstall(QString::fromUtf8(row.query));
    EXPECT_EQ(log, QStringList{QString::fromUtf8(row.line)});
    if (row.appID)
        EXPECT_EQ(requests.requests, (QList<Request>{{{QString::fromLatin1(row.appID)}, true}}));
    else
        EXPECT_TRUE(requests.requests.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Queries, PreviewQueryTest,
    testing::Values(
        // An exact name in another case wins over an earlier app that only contains it.
        QueryCase{"ExactNameFirst", "ALPHA", "com.example.alpha", "[uninstall-preview] 目标=Alpha bundleID=com.example.alpha"},
        QueryCase{"BundleIdentifierPrefix", "com.example.al", "com.example.alpha",
                  "[uninstall-preview] 目标=Alpha bundleID=com.example.alpha"},
        QueryCase{"NameContains", "pro", "com.other.pro", "[uninstall-preview] 目标=Aalpha Pro bundleID=com.other.pro"},
        QueryCase{"NothingMatches", "NoSuch", nullptr, "[uninstall-preview] 找不到可卸载的应用: NoSuch"}),
    [](const testing::TestParamInfo<QueryCase> &info) { return info.param.name; });

TEST_F(UninstallEntryTest, ABadgeTapAsksForItsTilesAppAfterTheReleaseIsHandled)
{
    int alpha = -1;
    for (int i = 0; i < view->entries().size(); ++i)
        if (view->entries().at(i).appID == QStringLiteral("com.example.alpha"))
            alpha = i;
    ASSERT_GE(alpha, 0);
    view->handleBadgeTap(alpha, true);
    view->handleBadgeTap(int(view->entries().size()), false);
    view->handleBadgeTap(-1, false);
    EXPECT_TRUE(requests.requests.isEmpty()) << "asynchronous";
    QCoreApplication::processEvents();
    EXPECT_EQ(requests.requests, (QList<Request>{{{QStringLiteral("com.example.alpha")}, true}}));
}

TEST_F(UninstallEntryTest, TheFirstBadgePreviewOutsideEditModeFindsNoBadge)
{
    ASSERT_FALSE(view->isEditing());
    view->previewUninstallFromFirstBadge();
    EXPECT_EQ(log, QStringList{QStringLiteral("[edit-preview] no deletable badge")});
    EXPECT_TRUE(requests.requests.isEmpty());
}

TEST_F(UninstallEntryTest, TheContextMenuRoadForwardsTheSelection)
{
    view->uninstall({QStringLiteral("com.other.pro"), QStringLiteral("com.example.alpha")});
    EXPECT_EQ(requests.requests,
              (QList<Request>{{{QStringLiteral("com.other.pro"), QStringLiteral("com.example.alpha")}, false}}));
}

} // namespace
