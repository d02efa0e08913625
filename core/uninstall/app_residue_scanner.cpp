#include "app_residue_scanner.h"

#include "residue_rules.h"
#include "residue_safety.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace {

// What identifies one application: its identifier and its names.
struct Identity
{
    QString owner;
    // Lower-cased; empty when the application declares none.
    QString bundleID;
    // Whether names that merely begin with the identifier (or hold it, in
    // containers) belong to it. A short identifier such as "com.example"
    // would claim a whole vendor's files.
    bool claimsByPrefix = false;
    // The first two labels of the identifier, e.g. "com.example".
    QString vendor;
    QSet<QString> aliases;
};

struct Match
{
    QStringList owners;
    // Another installed application matches the name too, or its
    // identifier occurs in it: the entry is not ours to take or enter.
    bool claimedElsewhere = false;
};

QString normalized(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C).toLower();
}

QString lastComponent(const QString &path)
{
    QString clean = path;
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    return clean.mid(clean.lastIndexOf(QLatin1Char('/')) + 1);
}

bool isAlphaNumeric(char32_t codePoint)
{
    return QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint);
}

bool hasLetter(const QString &text)
{
    for (char32_t codePoint : text.toUcs4()) {
        if (QChar::isLetter(codePoint) || QChar::isMark(codePoint))
            return true;
    }
    return false;
}

// The code point that ends just before `index`, or 0 at the start.
char32_t codePointBefore(const QString &text, qsizetype index)
{
    if (index <= 0)
        return 0;
    const QChar low = text.at(index - 1);
    if (low.isLowSurrogate() && index >= 2 && text.at(index - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(index - 2), low);
    return low.unicode();
}

char32_t codePointAt(const QString &text, qsizetype index)
{
    if (index >= text.size())
        return 0;
    const QChar high = text.at(index);
    if (high.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(high, text.at(index + 1));
    return high.unicode();
}

// The first occurrence of `needle` in `text`, when it stands at word
// boundaries; later occurrences are never tried. Returns the start or -1.
qsizetype boundaryIndex(const QString &needle, const QString &text)
{
    if (needle.isEmpty())
        return -1;
    const qsizetype index = text.indexOf(needle);
    if (index < 0)
        return -1;
    const char32_t before = codePointBefore(text, index);
    if (before != 0 && isAlphaNumeric(before))
        return -1;
    const char32_t after = codePointAt(text, index + needle.size());
    if (after != 0 && isAlphaNumeric(after))
        return -1;
    return index;
}

bool isVendorLabel(const QString &label)
{
    if (label.isEmpty())
        return false;
    for (QChar c : label) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-';
        if (!allowed)
            return false;
    }
    return true;
}

// The vendor a reverse-domain name such as "com.example.tool" or
// "group.com.example.tool" belongs to ("com.example"); empty for a plain name.
QString vendorNamespace(const QString &lowerStem)
{
    QStringList labels = lowerStem.split(QLatin1Char('.'));
    if (labels.size() > 2 && labels.first() == QLatin1String("group"))
        labels.removeFirst();
    if (labels.size() < 2 || !isVendorLabel(labels.at(0)) || !isVendorLabel(labels.at(1)))
        return {};
    return labels.at(0) + QLatin1Char('.') + labels.at(1);
}

// An identifier claims files only when it has at least two labels, each with
// a letter or digit: "com", "a", "*", "-", " " or "." would otherwise claim
// the entries of exactly that name in every folder.
bool isSoundIdentifier(const QString &lowerBundleID)
{
    const QStringList labels = lowerBundleID.split(QLatin1Char('.'));
    if (labels.size() < 2)
        return false;
    for (const QString &label : labels) {
        if (std::none_of(label.cbegin(), label.cend(), [](QChar c) { return c.isLetterOrNumber(); }))
            return false;
    }
    return true;
}

bool isSystemVendor(const QString &lowerBundleID)
{
    return lowerBundleID == QLatin1String("com.apple") || lowerBundleID.startsWith(QLatin1String("com.apple."));
}

void addAlias(QSet<QString> &aliases, const QString &candidate)
{
    QString value = normalized(candidate.trimmed());
    if (value.endsWith(QLatin1String(".app")))
        value.chop(4);
    if (value.toUcs4().size() < 2)
        return;
    const QSet<QString> &generic = ResidueRules::genericNames();
    if (generic.contains(value) || !hasLetter(value))
        return;
    aliases.insert(value);
    QString compact;
    for (QChar c : value) {
        if (!c.isSpace() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            compact.append(c);
    }
    if (compact.toUcs4().size() >= 4 && !generic.contains(compact))
        aliases.insert(compact);
}

Identity identityFor(const AppItem &app, const FileSystemAccess &fs)
{
    Identity identity;
    identity.owner = app.stableID();
    const QString bundleID = normalized(app.bundleID);
    if (isSoundIdentifier(bundleID))
        identity.bundleID = bundleID;
    const QStringList parts = identity.bundleID.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    identity.claimsByPrefix = parts.size() >= 3;
    if (identity.claimsByPrefix)
        identity.vendor = parts.at(0) + QLatin1Char('.') + parts.at(1);

    addAlias(identity.aliases, app.name);
    addAlias(identity.aliases, lastComponent(app.path));
    if (!parts.isEmpty() && parts.last().toUcs4().size() >= 4)
        addAlias(identity.aliases, parts.last());
    if (!app.path.isEmpty()) {
        if (const std::optional<QVariantMap> info = fs.infoPlist(app.path)) {
            for (const char *key : {"CFBundleName", "CFBundleDisplayName", "CFBundleExecutable"}) {
                const QVariant value = info->value(QLatin1String(key));
                if (value.typeId() == QMetaType::QString)
                    addAlias(identity.aliases, value.toString());
            }
        }
    }
    return identity;
}

// What follows the identifier and a dot still belongs to the application when
// it is one part, or when it starts with one of the child namespaces.
bool restBelongs(const QString &rest)
{
    const QStringList parts = rest.split(QLatin1Char('.'));
    if (parts.size() >= 2)
        return ResidueRules::childNamespaces().contains(parts.first());
    return true;
}

// One entry's name in the forms every identity compares, made once.
struct Name
{
    explicit Name(const QString &name)
        : lower(normalized(name)), stem(ResidueRules::stem(lower)), vendor(vendorNamespace(stem))
    {
    }
    QString lower;
    QString stem;
    QString vendor;
};

bool matchesBundleID(const QString &lower, const QString &stem, const Identity &identity, bool containerMatch)
{
    const QString &bid = identity.bundleID;
    if (lower == bid || stem == bid)
        return true;
    if (!identity.claimsByPrefix)
        return false;
    if (lower.size() > bid.size() && lower.startsWith(bid) && lower.at(bid.size()) == QLatin1Char('.'))
        return restBelongs(stem.mid(std::min(stem.size(), bid.size() + 1)));
    if (!containerMatch)
        return false;
    const qsizetype index = boundaryIndex(bid, lower);
    if (index < 0)
        return false;
    // A team or group prefix is one label ("ABCDE12345.", "group."); with
    // more labels before it the identifier sits in another vendor's name.
    if (index > 0) {
        const QString prefix = lower.left(index);
        if (!prefix.endsWith(QLatin1Char('.')) || prefix.size() < 2 || prefix.left(prefix.size() - 1).contains(QLatin1Char('.')))
            return false;
    }
    const QString after = lower.mid(index + bid.size());
    if (after.startsWith(QLatin1Char('.')))
        return restBelongs(after.mid(1));
    return true;
}

bool matches(const Identity &identity, const Name &name, const ResidueRules::Rule &rule)
{
    if (!identity.bundleID.isEmpty() && matchesBundleID(name.lower, name.stem, identity, rule.containerMatch))
        return true;
    if (!rule.useAliases)
        return false;
    // A name does not become ours because an alias spells another vendor's
    // identifier ("com.apple.dock" as an application name).
    if (!name.vendor.isEmpty() && name.vendor != identity.vendor)
        return false;
    return identity.aliases.contains(name.lower) || identity.aliases.contains(name.stem);
}

// True when the name holds another installed application's identifier at
// word boundaries (itself, followed by a dot, or inside a longer name).
// Every sound identifier holds a dot, so a name without one holds none.
bool isVetoed(const QString &lower, const QSet<QString> &protectedIDs)
{
    if (!lower.contains(QLatin1Char('.')))
        return false;
    for (const QString &id : protectedIDs) {
        if (boundaryIndex(id, lower) >= 0)
            return true;
    }
    return false;
}

// The name as text, or nothing when its bytes are not valid UTF-8: such a
// name could not be turned back into the same path.
std::optional<QString> decodedName(const QByteArray &raw)
{
    const QString name = QString::fromUtf8(raw);
    if (name.toUtf8() != raw)
        return std::nullopt;
    return name;
}

} // namespace

AppResidueScanner::AppResidueScanner(const QString &home, const FileSystemAccess &fs, QStringList protectedPaths)
    : m_home(QDir::cleanPath(home)), m_fs(fs), m_protectedPaths(std::move(protectedPaths))
{
}

QList<UninstallResidue> AppResidueScanner::scan(const QList<AppItem> &apps, const QList<AppItem> &installedApps,
                                                const std::function<void()> &progress) const
{
    constexpr int kNamesPerProgress = 512;
    int namesSinceProgress = 0;
    const auto advanced = [&](bool listing) {
        if (progress && (listing || ++namesSinceProgress >= kNamesPerProgress)) {
            namesSinceProgress = 0;
            progress();
        }
    };
    QList<AppItem> candidates;
    for (const AppItem &app : apps) {
        if (!app.isSystemApp && !isSystemVendor(normalized(app.bundleID)))
            candidates.append(app);
    }
    if (candidates.isEmpty() || m_home.isEmpty() || !QDir::isAbsolutePath(m_home))
        return {};

    QSet<QString> candidateIDs;
    QSet<QString> candidateStableIDs;
    QStringList appPaths;
    QList<Identity> identities;
    for (const AppItem &app : candidates) {
        if (!app.bundleID.isEmpty())
            candidateIDs.insert(normalized(app.bundleID));
        candidateStableIDs.insert(app.stableID());
        appPaths.append(app.path);
        identities.append(identityFor(app, m_fs));
    }

    QSet<QString> protectedIDs;
    QList<Identity> others;
    for (const AppItem &app : installedApps) {
        appPaths.append(app.path);
        const QString bid = normalized(app.bundleID);
        if (candidateStableIDs.contains(app.stableID()) || (!bid.isEmpty() && candidateIDs.contains(bid)))
            continue;
        if (isSoundIdentifier(bid))
            protectedIDs.insert(bid);
        others.append(identityFor(app, m_fs));
    }

    const ResidueSafety safety(m_home, appPaths, m_protectedPaths, m_fs);
    const QString library = safety.libraryPath();
    if (m_fs.entryType(library) != FileSystemAccess::EntryType::directory)
        return {};

    struct Found
    {
        UninstallResidue::Kind kind;
        QSet<QString> owners;
    };
    std::map<QString, Found> found;

    // Each folder whose listing is examined is checked once, for all of
    // its entries.
    QHash<QString, ResidueSafety::CheckedFolder> checkedFolders;
    auto record = [&](const QString &folder, const QString &name, FileSystemAccess::EntryType type,
                      UninstallResidue::Kind kind, const QStringList &owners) {
        if (owners.isEmpty())
            return;
        auto checked = checkedFolders.find(folder);
        if (checked == checkedFolders.end())
            checked = checkedFolders.insert(folder, safety.checkFolder(folder));
        if (safety.refusalOfListed(*checked, name, type))
            return;
        const QString path = folder + QLatin1Char('/') + name;
        auto it = found.find(path);
        if (it == found.end())
            it = found.emplace(path, Found{kind, {}}).first;
        for (const QString &owner : owners)
            it->second.owners.insert(owner);
    };

    auto match = [&](const QString &name, const ResidueRules::Rule &rule) {
        advanced(false);
        const Name candidate(name);
        Match result;
        for (const Identity &other : others) {
            if (matches(other, candidate, rule)) {
                result.claimedElsewhere = true;
                return result;
            }
        }
        if (isVetoed(candidate.lower, protectedIDs)) {
            result.claimedElsewhere = true;
            return result;
        }
        for (const Identity &identity : identities) {
            if (matches(identity, candidate, rule))
                result.owners.append(identity.owner);
        }
        return result;
    };

    // The entries of one folder that may be examined: valid names, never
    // ".DS_Store", never personal data, never links. One listing gives the
    // names and their types; nothing is looked up entry by entry.
    struct Listed
    {
        QString name;
        FileSystemAccess::EntryType type;
    };
    auto examinable = [&](const QString &folder) {
        QList<Listed> entries;
        for (const FileSystemAccess::Entry &entry : m_fs.entries(folder)) {
            if (entry.type == FileSystemAccess::EntryType::symbolicLink)
                continue;
            const std::optional<QString> name = decodedName(entry.name);
            if (!name || *name == QLatin1String(".DS_Store") || ResidueRules::isPrivacyProtected(*name))
                continue;
            entries.append(Listed{*name, entry.type});
        }
        advanced(true);
        return entries;
    };

    for (const ResidueRules::Rule &rule : ResidueRules::rules()) {
        if (ResidueRules::isPrivacyProtected(lastComponent(rule.directory)))
            continue;
        const QString root = library + QLatin1Char('/') + rule.directory;
        // Not a folder, or a link to one: nothing of it is ours.
        if (m_fs.entryType(root) != FileSystemAccess::EntryType::directory)
            continue;
        for (const Listed &entry : examinable(root)) {
            const Match outer = match(entry.name, rule);
            const bool isFolder = entry.type == FileSystemAccess::EntryType::directory;
            if (outer.owners.isEmpty() && (!rule.nested || outer.claimedElsewhere || !isFolder))
                continue;
            const QString path = root + QLatin1Char('/') + entry.name;
            if (!outer.owners.isEmpty()) {
                // A folder that matches is taken whole only when nothing
                // directly inside it belongs to another installed
                // application: "Acme" may hold "Acme Notes", "Google" may
                // hold "Chrome". Then only its entries that match are taken.
                QList<std::pair<Listed, Match>> inner;
                bool shared = false;
                if (rule.nested && isFolder) {
                    for (const Listed &child : examinable(path)) {
                        inner.append({child, match(child.name, rule)});
                        shared = shared || inner.constLast().second.claimedElsewhere;
                    }
                }
                if (!shared) {
                    record(root, entry.name, entry.type, rule.kind, outer.owners);
                    continue;
                }
                for (const auto &[child, childMatch] : inner)
                    record(path, child.name, child.type, rule.kind, childMatch.owners);
                continue;
            }
            for (const Listed &child : examinable(path))
                record(path, child.name, child.type, rule.kind, match(child.name, rule).owners);
        }
    }

    const QList<UninstallResidue::Kind> &order = UninstallResidue::allKinds();
    QList<UninstallResidue> residues;
    for (const auto &[path, entry] : found) {
        QStringList owners(entry.owners.cbegin(), entry.owners.cend());
        std::sort(owners.begin(), owners.end());
        residues.append(UninstallResidue(path, entry.kind, owners));
    }
    std::stable_sort(residues.begin(), residues.end(), [&](const UninstallResidue &a, const UninstallResidue &b) {
        const qsizetype rankA = order.indexOf(a.kind);
        const qsizetype rankB = order.indexOf(b.kind);
        if (rankA != rankB)
            return rankA < rankB;
        return a.path < b.path;
    });
    return residues;
}
