#include "shell/settings_dialogs.h"

#include "settings/popup_button.h"
#include "modal/alert_box.h"
#include "modal/modal_step_aside.h"
#include "shell/app_alert.h"

#include "localization/l10n.h"

#include <QFileDialog>

void SettingsDialogs::prepareFolderPanel(QFileDialog &panel)
{
    panel.setFileMode(QFileDialog::Directory);
    panel.setOption(QFileDialog::ShowDirsOnly, true);
    panel.setWindowTitle(L(QStringLiteral("选择要扫描的文件夹")));
    panel.setLabelText(QFileDialog::Accept, L(QStringLiteral("选择")));
    panel.setLabelText(QFileDialog::Reject, L(QStringLiteral("取消")));
    panel.setLabelText(QFileDialog::LookIn, L(QStringLiteral("位置：")));
    panel.setLabelText(QFileDialog::FileName, L(QStringLiteral("文件夹：")));
}

std::optional<QString> SettingsDialogs::chooseFolder(ModalStepAside &stepAside, QWidget *window)
{
    return stepAside.lowering(window, [window]() -> std::optional<QString> {
        QFileDialog panel(window);
        prepareFolderPanel(panel);
        if (panel.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList chosen = panel.selectedFiles();
        if (chosen.isEmpty() || chosen.first().isEmpty())
            return std::nullopt;
        return chosen.first();
    });
}

std::optional<int> SettingsDialogs::chooseLayoutSource(ModalStepAside &stepAside, QWidget *window,
                                                       const QStringList &labels)
{
    AlertBox alert(window);
    alert.setAlertStyle(AlertBox::Style::informational);
    alert.setMessageText(L(QStringLiteral("选择布局来源")));
    alert.setInformativeText(L(QStringLiteral(
        "只读解析分页、分组与应用顺序；先探测 sqlite_master / PRAGMA table_info，再按语义列映射。支持系统 "
        "Launchpad、BuhoLaunchpad、LaunchNext、AppGrid、Launchie、LaunchMe。")));
    auto *choice = new PopupButton;
    choice->setItems(labels);
    choice->setCurrentIndex(0);
    choice->setFixedSize(340, 26);
    alert.setAccessoryView(choice);
    alert.addButton(L(QStringLiteral("导入")));
    alert.addButton(L(QStringLiteral("取消")));
    const int response = stepAside.lowering(window, [&alert] { return AppAlert::run(alert); });
    if (response != AlertBox::firstButtonReturn)
        return std::nullopt;
    return choice->currentIndex();
}
