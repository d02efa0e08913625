#include "shell/settings_dialogs.h"

#include "localization/l10n.h"

#include <QFileDialog>

#include <gtest/gtest.h>

namespace {

struct FolderPanelCase
{
    AppLanguage language;
    const char *title;
    const char *accept;
};

void PrintTo(const FolderPanelCase &row, std::ostream *out)
{
    *out << row.language.rawValue().toStdString();
}

class FolderPanelTest : public ::testing::TestWithParam<FolderPanelCase>
{
protected:
    void TearDown() override { L10n::setForTesting(AppLanguage::zhHans); }
};

// The folder chooser is titled in the interface language, not with Qt's
// English "Find Directory", and its buttons follow.
TEST_P(FolderPanelTest, SpeaksTheInterfaceLanguage)
{
    L10n::setForTesting(GetParam().language);
    QFileDialog panel;
    SettingsDialogs::prepareFolderPanel(panel);
    EXPECT_EQ(panel.windowTitle(), QString::fromUtf8(GetParam().title));
    EXPECT_EQ(panel.labelText(QFileDialog::Accept), QString::fromUtf8(GetParam().accept));
    EXPECT_EQ(panel.labelText(QFileDialog::Reject), L(QStringLiteral("取消")));
    EXPECT_EQ(panel.fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(panel.testOption(QFileDialog::ShowDirsOnly));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, FolderPanelTest,
    ::testing::Values(FolderPanelCase{AppLanguage::zhHans, "选择要扫描的文件夹", "选择"},
                      FolderPanelCase{AppLanguage::en, "Choose a folder to scan", "Choose"},
                      FolderPanelCase{AppLanguage::fr, "Choisir un dossier à analyser", "Choisir"},
                      FolderPanelCase{AppLanguage::de, "Zu durchsuchenden Ordner wählen", "Auswählen"},
                      FolderPanelCase{AppLanguage::ja, "スキャンするフォルダを選択", "選択"},
                      FolderPanelCase{AppLanguage::ru, "Выбор папки для сканирования", "Выбрать"},
                      FolderPanelCase{AppLanguage::es, "Elegir una carpeta para analizar", "Elegir"}),
    [](const ::testing::TestParamInfo<FolderPanelCase> &info) {
        QString name = info.param.language.rawValue();
        name.remove(QLatin1Char('-'));
        return name.toStdString();
    });

} // namespace
