#include "layout_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

using namespace layout_test;

namespace {

// Layouts as a hand-edited or damaged layout file may hold them: no pages,
// repeated entries and members, entries with neither part or both, folders
// without members, ids that disagree with their contents. Every operation
// must cope, and a reconcile must give back a layout that keeps the rules.
class DamagedLayouts
{
public:
    explicit DamagedLayouts(unsigned seed) : m_random(seed) {}

    QString appID() { return QStringLiteral("a%1").arg(pick(12)); }

    int index()
    {
        static const int extremes[] = {INT_MIN, -1, 0, 1, 3, 40, INT_MAX};
        return pick(2) == 0 ? extremes[pick(7)] : pick(6);
    }

    LayoutEntry entry()
    {
        switch (pick(9)) {
        case 0:
            return LayoutEntry(QStringLiteral("x%1").arg(pick(3))); // neither
        case 1:
            return LayoutEntry(QStringLiteral("app:%1").arg(appID()), appID()); // id disagrees
        case 2:
            return LayoutEntry(QStringLiteral("folder:F%1").arg(pick(3)), appID(), folder()); // both
        case 3:
        case 4:
            return LayoutEntry::makeFolder(folder());
        default:
            return LayoutEntry::app(appID());
        }
    }

    LayoutFolder folder()
    {
        QStringList members;
        const int count = pick(5); // 0 to 4, repeats likely
        for (int i = 0; i < count; ++i)
            members.append(appID());
        return LayoutFolder(QStringLiteral("F%1").arg(pick(4)), QStringLiteral("N"), members);
    }

    LauncherLayout layout()
    {
        LauncherLayout result;
        result.pages.clear();
        const int pageCount = pick(4); // possibly none
        for (int p = 0; p < pageCount; ++p) {
            LauncherLayout::Page page;
            const int count = pick(8);
            for (int i = 0; i < count; ++i)
                page.append(entry());
            result.pages.append(page);
        }
        if (pick(2) == 0)
            result.hiddenIDs.insert(appID());
        return result;
    }

    QList<AppItem> apps()
    {
        QList<AppItem> result;
        const int count = pick(14);
        for (int i = 0; i < count; ++i) {
            const QString id = appID(); // repeats break the scan's promise on purpose
            result.append(AppItem(id, QStringLiteral("Name %1").arg(pick(5)), QStringLiteral("/A/%1.app").arg(id)));
        }
        return result;
    }

    QString someEntryID(const LauncherLayout &layout)
    {
        const QList<LayoutEntry> all = layout.allEntries();
        if (all.isEmpty() || pick(4) == 0)
            return pick(2) == 0 ? appID() : QStringLiteral("app:") + appID();
        return all[pick(int(all.size()))].id;
    }

    LaunchpadLayout imported()
    {
        LaunchpadLayout result;
        const int pageCount = pick(3);
        for (int p = 0; p < pageCount; ++p) {
            LaunchpadPage page;
            const int count = pick(6);
            for (int i = 0; i < count; ++i) {
                switch (pick(4)) {
                case 0:
                    page.entries.append(LaunchpadEntry{});
                    break;
                case 1: {
                    const LayoutFolder f = folder();
                    page.entries.append(LaunchpadEntry::makeFolder(
                        LaunchpadFolder{pick(2) ? QStringLiteral("native-1") : f.id, f.name, f.bundleIDs}));
                    break;
                }
                default:
                    page.entries.append(LaunchpadEntry::app(appID()));
                }
            }
            result.pages.append(page);
        }
        return result;
    }

    int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

private:
    std::mt19937 m_random;
};

// The rules a reconciled, normalized or imported layout keeps.
void expectSound(const LauncherLayout &layout, const QList<AppItem> &apps, int pageSize, const std::string &context)
{
    QSet<QString> known;
    for (const AppItem &app : apps)
        known.insert(app.stableID());
    ASSERT_FALSE(layout.pages.isEmpty()) << context;
    QSet<QString> entryIDs;
    QSet<QString> seen;
    for (const LauncherLayout::Page &page : layout.pages) {
        EXPECT_LE(page.size(), std::max(1, pageSize)) << context;
        for (const LayoutEntry &e : page) {
            EXPECT_FALSE(entryIDs.contains(e.id)) << context << " repeated entry " << str(e.id);
            entryIDs.insert(e.id);
            EXPECT_NE(e.appID.has_value(), e.folder.has_value()) << context << " " << str(e.id);
            QStringList ids;
            if (e.appID) {
                EXPECT_EQ(str(e.id), str("app:" + *e.appID)) << context;
                ids = {*e.appID};
            }
            if (e.folder) {
                EXPECT_EQ(str(e.id), str("folder:" + e.folder->id)) << context;
                EXPECT_GE(e.folder->bundleIDs.size(), 2) << context << " " << str(e.id);
                ids = e.folder->bundleIDs;
            }
            for (const QString &id : ids) {
                EXPECT_FALSE(seen.contains(id)) << context << " repeated app " << str(id);
                EXPECT_TRUE(known.contains(id)) << context << " unknown app " << str(id);
                EXPECT_FALSE(layout.hiddenIDs.contains(id)) << context << " hidden app " << str(id);
                seen.insert(id);
            }
        }
    }
    for (const QString &id : known) {
        if (!layout.hiddenIDs.contains(id)) {
            EXPECT_TRUE(seen.contains(id)) << context << " missing app " << str(id);
        }
    }
}

TEST(LayoutRobustness, EveryOperationOnDamagedLayouts)
{
    DamagedLayouts make(20240601u);
    for (int round = 0; round < 400; ++round) {
        LauncherLayout layout = make.layout();
        const QList<AppItem> apps = make.apps();
        const std::string context = "round " + std::to_string(round) + ": " + str(describe(layout.pages));
        const int pageSize = make.pick(2) ? make.pick(4) : (make.pick(2) ? INT_MIN : INT_MAX);

        // Single-entry edits in a random order; none may crash or trip the sanitizers.
        for (int step = 0; step < 12; ++step) {
            switch (make.pick(11)) {
            case 0:
                layout.insert(make.entry(), make.index(), make.index());
                break;
            case 1:
                layout.remove(make.someEntryID(layout));
                break;
            case 2:
                layout.move(make.someEntryID(layout), make.index() % 50, make.index());
                break;
            case 3:
                layout.merge(make.someEntryID(layout), make.someEntryID(layout));
                break;
            case 4:
                layout.updateFolder(make.folder());
                break;
            case 5:
                layout.rename(make.someEntryID(layout), QStringLiteral("R"));
                break;
            case 6:
                layout.renameApp(make.appID(), make.pick(2) ? QStringLiteral(" x ") : QString());
                break;
            case 7:
                layout.hide({make.appID()});
                break;
            case 8:
                layout.append(make.entry(), pageSize);
                break;
            case 9:
                layout.normalizePages(pageSize);
                break;
            default:
                (void)layout.visiblePages(make.pick(2));
                (void)layout.location(make.someEntryID(layout));
                (void)layout.containedAppIDs();
            }
        }

        LauncherLayout reconciled = layout;
        reconciled.reconcile(apps, pageSize);
        expectSound(reconciled, apps, pageSize, "reconcile " + context);

        LauncherLayout unhidden = layout;
        unhidden.unhide(QStringList(layout.hiddenIDs.begin(), layout.hiddenIDs.end()), apps, pageSize);
        expectSound(unhidden, apps, pageSize, "unhide " + context);

        LauncherLayout imported = layout;
        const ImportSummary summary = imported.applyImportedLayout(make.imported(), apps, pageSize);
        expectSound(imported, apps, pageSize, "import " + context);
        EXPECT_EQ(summary.pageCount, imported.pages.size());
        EXPECT_EQ(summary.folderCount, summary.folderNames.size());

        // Reorganizing a sound layout keeps it sound.
        reconciled.reorganize(apps, pageSize);
        expectSound(reconciled, apps, pageSize, "reorganize " + context);
        reconciled.applyNativeOrder({make.appID(), make.appID()}, apps, pageSize);
        expectSound(reconciled, apps, pageSize, "native order " + context);
        if (HasFailure())
            return; // one damaged layout's report is enough to read
    }
}

} // namespace
