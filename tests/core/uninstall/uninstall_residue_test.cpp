#include "localization/l10n.h"
#include "uninstall/uninstall_residue.h"

#include <gtest/gtest.h>

namespace {

using Kind = UninstallResidue::Kind;

TEST(UninstallResidue, DisplayPathShowsTheStandardizedHomeAsTilde)
{
    const UninstallResidue caches(QStringLiteral("/Users/ann/Library/Caches/com.example.app"), Kind::caches, {});
    for (const QString &home : {QStringLiteral("/Users/ann"), QStringLiteral("/Users/ann/"), QStringLiteral("/Users/ann/./")})
        EXPECT_EQ(caches.displayPath(home), QStringLiteral("~/Library/Caches/com.example.app")) << home.toStdString();
    EXPECT_EQ(UninstallResidue(QStringLiteral("/Users/ann"), Kind::other, {}).displayPath(QStringLiteral("/Users/ann")),
              QStringLiteral("~"));
    EXPECT_EQ(UninstallResidue(QStringLiteral("/Users/anna/Library"), Kind::other, {}).displayPath(QStringLiteral("/Users/ann")),
              QStringLiteral("/Users/anna/Library"));
    EXPECT_EQ(UninstallResidue(QStringLiteral("/Library/Preferences/x.plist"), Kind::other, {}).displayPath(QStringLiteral("/Users/ann")),
              QStringLiteral("/Library/Preferences/x.plist"));
}

TEST(UninstallResidue, EqualityComparesOwnersInOrderWhileTheIdIsThePath)
{
    const UninstallResidue a(QStringLiteral("/h/Library/Caches/x"), Kind::caches, {QStringLiteral("a"), QStringLiteral("b")});
    const UninstallResidue b(QStringLiteral("/h/Library/Caches/x"), Kind::caches, {QStringLiteral("b"), QStringLiteral("a")});
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_EQ(a.url().toLocalFile(), a.path);
}

TEST(UninstallResidue, KindsKeepTheirOrderRawValuesAndLabels)
{
    const QList<Kind> &kinds = UninstallResidue::allKinds();
    ASSERT_EQ(kinds.size(), 11);
    EXPECT_EQ(kinds.first(), Kind::preferences);
    EXPECT_EQ(kinds.last(), Kind::other);
    for (Kind kind : kinds)
        EXPECT_EQ(UninstallResidue::kindFromRawValue(UninstallResidue::rawValue(kind)), kind);
    EXPECT_FALSE(UninstallResidue::kindFromRawValue(QStringLiteral("Preferences")).has_value());
    EXPECT_EQ(UninstallResidue::kindFromRawValue(QStringLiteral("preferences")), Kind::preferences);

    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(UninstallResidue::label(Kind::groupContainers), QStringLiteral("Shared containers"));
    L10n::setForTesting(AppLanguage::zhHans);
    EXPECT_EQ(UninstallResidue::label(Kind::groupContainers), QStringLiteral("共享容器"));
}

} // namespace
