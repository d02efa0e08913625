#include "test_environment.h"

#include <QLocale>
#include <QtGlobal>

#include <gtest/gtest.h>

void fixTestEnvironment()
{
    // Texts, sorting and number formats are checked in the C locale with no
    // preferred-language list, whatever the shell running the tests uses;
    // tests of other languages set their own.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANGUAGE", "");
}

// Every test binary links this check: it fails when a test could see the
// locale of the shell that started it.
TEST(TestEnvironmentTest, RunsInTheCLocaleWithNoLanguageList)
{
    EXPECT_EQ(qgetenv("LC_ALL"), QByteArray("C.UTF-8"));
    EXPECT_TRUE(qgetenv("LANGUAGE").isEmpty()) << qgetenv("LANGUAGE").constData();
    EXPECT_EQ(QLocale::system().language(), QLocale::C) << QLocale::system().name().toStdString();
}
