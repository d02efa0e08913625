#include "launcher/launcher_chrome.h"

#include "session/launcher_session.h"

#include "localization/key_words.h"
#include "localization/l10n.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

QColor white(double alpha)
{
    return QColor(255, 255, 255, int(std::lround(std::clamp(alpha, 0.0, 1.0) * 255)));
}

// Sizes in points are logical pixels (a point size would be scaled by the
// screen's 96 dpi, a third larger than the layout means).
QFont systemFont(double size, QFont::Weight weight)
{
    QFont font(QApplication::font().family());
    font.setPixelSize(int(std::lround(size)));
    font.setWeight(weight);
    return font;
}

} // namespace

LauncherChrome::LauncherChrome(QWidget *parent, LauncherSession &session, std::function<void()> openSettings)
    : m_session(session)
{
    m_hintLabel = new QLabel(parent);
    m_hintLabel->setFont(systemFont(11.5, QFont::Normal));
    m_hintLabel->setAlignment(Qt::AlignCenter);
    m_hintLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette hintPalette = m_hintLabel->palette();
    hintPalette.setColor(QPalette::WindowText, white(0.62));
    m_hintLabel->setPalette(hintPalette);

    m_settingsButton = new QPushButton(L(QStringLiteral("设置")), parent);
    m_settingsButton->setFlat(true);
    m_settingsButton->setFocusPolicy(Qt::NoFocus);
    m_settingsButton->setFont(systemFont(12, QFont::Medium));
    QPalette buttonPalette = m_settingsButton->palette();
    buttonPalette.setColor(QPalette::ButtonText, white(0.72));
    buttonPalette.setColor(QPalette::Button, Qt::transparent);
    m_settingsButton->setPalette(buttonPalette);
    QObject::connect(m_settingsButton, &QPushButton::clicked, parent, std::move(openSettings));
}

QString LauncherChrome::hintText(bool editing, Settings::HotKeyPreset hotKey)
{
    if (editing)
        return KeyWords::forDisplay(L(QStringLiteral("点击 ✕ 卸载应用　·　Esc 或点击空白处退出编辑　·　系统内置应用不可卸载")));
    // The hot key the settings hold, not a fixed one; none when it is off.
    const QString rest = L(QStringLiteral("Esc 退出　·　拖动排序　·　右键更多"));
    if (hotKey == Settings::HotKeyPreset::disabled)
        return KeyWords::forDisplay(rest);
    return KeyWords::forDisplay(L(QStringLiteral("%@ 唤起"), hotKey.label()) + QStringLiteral("　·　") + rest);
}

void LauncherChrome::applyHint(bool editing)
{
    // A key that another program holds opens nothing: the hint leaves it out.
    const Settings::HotKeyPreset hotKey = m_session.hotKeyHeldElsewhere() ? Settings::HotKeyPreset(Settings::HotKeyPreset::disabled)
                                                                           : m_session.settings().hotKey;
    m_hintLabel->setText(hintText(editing, hotKey));
}

void LauncherChrome::refreshLocalizedText(bool editing, const QSizeF &viewSize)
{
    applyHint(editing);
    m_settingsButton->setText(L(QStringLiteral("设置")));
    const LauncherLayoutPlan::Chrome chrome = LauncherLayoutPlan::chrome(viewSize, m_session.settings().sideInset);
    m_settingsButton->setGeometry(
        LauncherLayoutPlan::settingsButtonFrame(chrome.settingsButton, m_settingsButton->sizeHint().width()).toRect());
}

void LauncherChrome::layout(const LauncherLayoutPlan::Chrome &chrome)
{
    m_hintLabel->setGeometry(chrome.hintLabel.toRect());
    m_settingsButton->setGeometry(
        LauncherLayoutPlan::settingsButtonFrame(chrome.settingsButton, m_settingsButton->sizeHint().width()).toRect());
}
