#pragma once

#include "uninstall_residue.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Where under the Library folder leftovers are looked for, and the names that
// can never identify an application. Built once, never changed.
class ResidueRules
{
public:
    // One location under the Library folder.
    struct Rule
    {
        // Relative to the Library folder; may name a subfolder.
        QString directory;
        UninstallResidue::Kind kind;
        // Entries may also be matched through the application's names.
        bool useAliases;
        // An unmatched folder entry has its own entries examined (one level).
        bool nested;
        // The bundle identifier may also be found inside a longer name.
        bool containerMatch;
    };

    ResidueRules() = delete;

    // In the order they are visited; the first rule that records a path
    // fixes its kind.
    static const QList<Rule> &rules();
    static const QSet<QString> &privacyProtectedNames();
    static const QSet<QString> &privacyKeywords();
    static const QSet<QString> &genericNames();
    // Tried in order; only the first matching ending is removed.
    static const QStringList &knownExtensions();
    static const QSet<QString> &childNamespaces();

    // True for a path component that names personal data of the system's
    // own services (address book, mail, keychains ...), in any spelling.
    static bool isPrivacyProtected(const QString &name);
    // The lower-cased name without the first known ending it ends with.
    static QString stem(const QString &lowerName);
};
