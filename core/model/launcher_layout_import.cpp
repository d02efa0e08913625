#include "launcher_layout.h"

#include <algorithm>

namespace {

const QString kNativePrefix = QStringLiteral("native-");

} // namespace

ImportSummary LauncherLayout::applyImportedLayout(const LaunchpadLayout &imported, const QList<AppItem> &apps,
                                                  int pageSize)
{
    const qsizetype size = std::max(1, pageSize);

    QSet<QString> known;
    known.reserve(apps.size());
    for (const AppItem &app : apps)
        known.insert(app.stableID());

    // Folders of an earlier import of the system launcher are replaced, but the
    // names the user gave them survive under their identifiers. Every other
    // folder is the user's own and is kept after the imported pages.
    QHash<QString, QString> rememberedNames;
    QList<LayoutFolder> keptFolders;
    for (const Page &page : pages) {
        for (const LayoutEntry &e : page) {
            if (!e.folder)
                continue;
            if (e.folder->id.startsWith(kNativePrefix))
                rememberedNames.insert(e.folder->id, e.folder->name);
            else
                keptFolders.append(*e.folder);
        }
    }

    QSet<QString> claimed;
    const auto claim = [&](const QString &id) {
        if (!known.contains(id) || hiddenIDs.contains(id) || claimed.contains(id))
            return false;
        claimed.insert(id);
        return true;
    };
    const auto claimAll = [&](const QStringList &ids) {
        QStringList result;
        for (const QString &id : ids) {
            if (claim(id))
                result.append(id);
        }
        return result;
    };

    QList<Page> finished;
    Page current;
    const auto closePage = [&] {
        if (!current.isEmpty()) {
            finished.append(current);
            current.clear();
        }
    };
    const auto put = [&](const LayoutEntry &e) {
        if (current.size() >= size)
            closePage();
        current.append(e);
    };

    // Folder ids placed so far: an import that repeats one, or a kept folder
    // that an earlier import of the same source made, must not yield two
    // entries under one id.
    QSet<QString> folderIDs;
    const auto putFolder = [&](LayoutFolder folder) {
        if (folderIDs.contains(folder.id))
            folder.id = LayoutFolder::newIdentifier();
        folderIDs.insert(folder.id);
        put(LayoutEntry::makeFolder(folder));
    };

    QStringList importedFolderNames;
    for (const LaunchpadPage &importedPage : imported.pages) {
        closePage();
        for (const LaunchpadEntry &importedEntry : importedPage.entries) {
            if (importedEntry.bundleID) {
                if (claim(*importedEntry.bundleID))
                    put(LayoutEntry::app(*importedEntry.bundleID));
            } else if (importedEntry.folder) {
                const LaunchpadFolder &source = *importedEntry.folder;
                const QStringList members = claimAll(source.bundleIDs);
                if (members.size() == 1) {
                    put(LayoutEntry::app(members.first()));
                } else if (members.size() >= 2) {
                    const QString remembered = rememberedNames.value(source.id);
                    const QString name = remembered.isEmpty() ? source.name : remembered;
                    putFolder(LayoutFolder(source.id, name, members));
                    importedFolderNames.append(name);
                }
            }
        }
    }

    for (const LayoutFolder &kept : keptFolders) {
        const QStringList members = claimAll(kept.bundleIDs);
        if (members.size() == 1) {
            put(LayoutEntry::app(members.first()));
        } else if (members.size() >= 2) {
            putFolder(LayoutFolder(kept.id, kept.name, members));
        }
    }

    for (const AppItem &app : sortedByName(apps)) {
        if (claim(app.stableID()))
            put(LayoutEntry::app(app.stableID()));
    }
    closePage();

    pages = finished.isEmpty() ? QList<Page>{Page{}} : finished;
    normalizePages(int(size));

    ImportSummary summary;
    summary.pageCount = int(pages.size());
    summary.folderNames = importedFolderNames;
    summary.folderCount = int(importedFolderNames.size());
    summary.appCount = int(claimed.size());
    return summary;
}
