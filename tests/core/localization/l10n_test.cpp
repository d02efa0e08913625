#include "foundation/notification_center.h"
#include "localization/l10n.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <QList>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

const QString kMissingKey = QStringLiteral("目录里没有的键 %d 项");

// Every test changes the process-wide language; leave it as the process starts.
class L10nTest : public ::testing::Test
{
protected:
    void SetUp() override { L10n::setForTesting(AppLanguage::zhHans); }
    void TearDown() override { L10n::setForTesting(AppLanguage::zhHans); }
};

// Counts language-change posts and remembers the language each observer saw.
class ChangeObserver
{
public:
    ChangeObserver()
    {
        m_token = NotificationCenter::defaultCenter().addObserver(L10n::kLanguageDidChangeNotification, [this] {
            // Reading the language here also proves the lock is released before posting.
            seen.append(L10n::current());
            posts.fetch_add(1);
        });
    }
    ~ChangeObserver() { NotificationCenter::defaultCenter().removeObserver(m_token); }

    std::atomic<int> posts{0};
    QList<AppLanguage> seen;

private:
    NotificationCenter::Token m_token;
};

TEST_F(L10nTest, LooksUpTheCurrentLanguage)
{
    EXPECT_EQ(L("取消"), QStringLiteral("取消"));
    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(L("取消"), QStringLiteral("Cancel"));
    L10n::setForTesting(AppLanguage::fr);
    EXPECT_EQ(L("取消"), QStringLiteral("Annuler"));
}

TEST_F(L10nTest, SimplifiedChineseReturnsKeysWithoutConsultingTables)
{
    for (const QString &key : L10n::allKeys())
        EXPECT_EQ(L(key), key);
    EXPECT_EQ(L10n::templateFor(QStringLiteral("取消"), AppLanguage::zhHans), QStringLiteral("取消"));
}

TEST_F(L10nTest, TemplateForTakesTheGivenLanguageNotTheCurrentOne)
{
    L10n::setForTesting(AppLanguage::de);
    EXPECT_EQ(L10n::templateFor(QStringLiteral("取消"), AppLanguage::ja), QStringLiteral("キャンセル"));
    EXPECT_EQ(L10n::templateFor(QStringLiteral("取消")), QStringLiteral("Abbrechen"));
    EXPECT_EQ(L10n::templateFor(QStringLiteral("取消"), AppLanguage::system), QStringLiteral("取消"));
}

TEST_F(L10nTest, MissingKeyComesBackInEveryLanguageAndIsStillFormatted)
{
    for (AppLanguage language : AppLanguage::allCases()) {
        SCOPED_TRACE(language.rawValue().toStdString());
        L10n::setForTesting(language);
        EXPECT_EQ(L(kMissingKey), kMissingKey);
        EXPECT_EQ(L(kMissingKey, 3), QStringLiteral("目录里没有的键 3 项"));
    }
}

TEST_F(L10nTest, FormatsOnlyWhenArgumentsAreGiven)
{
    const QString rescanned = QStringLiteral("已重新扫描，共 %d 个应用。");
    EXPECT_EQ(L(rescanned, 12), QStringLiteral("已重新扫描，共 12 个应用。"));
    L10n::setForTesting(AppLanguage::en);
    EXPECT_EQ(L(rescanned, 12), QStringLiteral("Rescan complete: 12 apps found."));

    // Without arguments the template is not interpreted at all.
    EXPECT_EQ(L(QStringLiteral("分组 %d")), QStringLiteral("Group %d"));
    EXPECT_EQ(L(QStringLiteral("100% 完成 %%")), QStringLiteral("100% 完成 %%"));

    // Mixed kinds in the key's order; arguments are data, never templates.
    EXPECT_EQ(L(QStringLiteral("%d 个应用 · %d 个分组（%@%@）"), 40, 3, QStringLiteral("A, B%d"), L(" 等")),
              QStringLiteral("40 apps · 3 groups (A, B%d \u2026)"));
    L10n::setForTesting(AppLanguage::ru);
    EXPECT_EQ(L(QStringLiteral("%d 个应用 · %d 个分组（%@%@）"), 40, 3, QStringLiteral("A, B"), L(" 等")),
              QStringLiteral("Приложений: 40 · групп: 3 (A, B и др.)"));
}

TEST_F(L10nTest, SystemHasNoTableSoKeysComeBackUnchanged)
{
    ChangeObserver observer;
    L10n::setForTesting(AppLanguage::system);
    EXPECT_EQ(L10n::current(), AppLanguage::system);
    EXPECT_EQ(L("取消"), QStringLiteral("取消"));
    EXPECT_EQ(L(QStringLiteral("分组 %d"), 2), QStringLiteral("分组 2"));
    EXPECT_EQ(observer.posts.load(), 0);
}

TEST_F(L10nTest, ConfigurePostsOncePerRealChange)
{
    ChangeObserver observer;
    L10n::configure(AppLanguage::zhHans);
    EXPECT_EQ(observer.posts.load(), 0) << "same language as before";

    L10n::configure(AppLanguage::en);
    EXPECT_EQ(observer.posts.load(), 1);
    L10n::configure(AppLanguage::en);
    EXPECT_EQ(observer.posts.load(), 1);
    EXPECT_EQ(L10n::current(), AppLanguage::en);

    L10n::configure(AppLanguage::ja);
    EXPECT_EQ(observer.posts.load(), 2);
    // Observers run synchronously and already see the new language.
    EXPECT_EQ(observer.seen, (QList<AppLanguage>{AppLanguage::en, AppLanguage::ja}));

    L10n::setForTesting(AppLanguage::fr);
    EXPECT_EQ(observer.posts.load(), 2) << "setForTesting never posts";
    L10n::configure(AppLanguage::fr);
    EXPECT_EQ(observer.posts.load(), 2);
}

TEST_F(L10nTest, ConfigureSystemResolvesTheProcessLocale)
{
    ScopedEnv env;
    env.unset("LC_ALL");
    env.unset("LC_MESSAGES");
    env.set("LANGUAGE", QStringLiteral("pt_BR:de_AT"));
    env.set("LANG", QStringLiteral("en_US.UTF-8"));
    EXPECT_EQ(AppLanguage::systemLanguage(), AppLanguage::de);

    ChangeObserver observer;
    L10n::configure(AppLanguage::system);
    EXPECT_EQ(L10n::current(), AppLanguage::de);
    EXPECT_EQ(observer.posts.load(), 1);

    // Resolved anew at every configuration; the same result posts nothing.
    L10n::configure(AppLanguage::system);
    EXPECT_EQ(observer.posts.load(), 1);

    env.unset("LANGUAGE");
    env.set("LANG", QStringLiteral("zh_HK.UTF-8"));
    L10n::configure(AppLanguage::system);
    EXPECT_EQ(L10n::current(), AppLanguage::zhHans);
    EXPECT_EQ(observer.posts.load(), 2);

    // An untranslated C locale falls back to English, never to `system`.
    env.set("LANGUAGE", QStringLiteral("ja"));
    env.set("LANG", QStringLiteral("C"));
    L10n::configure(AppLanguage::system);
    EXPECT_EQ(L10n::current(), AppLanguage::en);
    EXPECT_EQ(observer.posts.load(), 3);
}

TEST_F(L10nTest, ConcurrentConfigurationsToOneLanguagePostOnce)
{
    ChangeObserver observer;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([] { L10n::configure(AppLanguage::es); });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(observer.posts.load(), 1);
    EXPECT_EQ(L10n::current(), AppLanguage::es);
}

TEST_F(L10nTest, OnlyTheSystemEntryFollowsTheInterfaceLanguage)
{
    const QStringList ownNames = {"简体中文", "English", "Français", "Deutsch", "日本語", "Русский", "Español"};
    const QStringList followSystem = {"跟随系统", "Follow system", "Suivre le système", "Systemeinstellung",
                                      "システム設定に従う", "Как в системе", "Según el sistema"};
    const QList<AppLanguage> cases = AppLanguage::allCases();
    for (qsizetype shown = 1; shown < cases.size(); ++shown) {
        SCOPED_TRACE(cases[shown].rawValue().toStdString());
        L10n::setForTesting(cases[shown]);
        EXPECT_EQ(AppLanguage(AppLanguage::system).displayName(), followSystem[shown - 1]);
        for (qsizetype i = 1; i < cases.size(); ++i)
            EXPECT_EQ(cases[i].displayName(), ownNames[i - 1]);
    }
}

} // namespace
