#include "settings_context.h"

#include "settings_status_bar.h"
#include "settings_window_controller.h"

#include "timer_scheduler.h"

#include <QFontMetrics>
#include <QLabel>

SettingsEnvironment SettingsEnvironment::system()
{
    SettingsEnvironment environment;
#ifdef TESSELLON_VERSION
    environment.version = QStringLiteral(TESSELLON_VERSION);
#endif
    return environment;
}

SettingsContext::SettingsContext(SettingsHost &host, SettingsEnvironment environment, QWidget *holder)
    : m_host(host), m_environment(std::move(environment)), m_holder(holder), m_statusLabel(new QLabel(holder))
{
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setTextFormat(Qt::PlainText);
}

TimerScheduler &SettingsContext::scheduler() const
{
    return m_environment.scheduler ? *m_environment.scheduler : TimerScheduler::main();
}

void SettingsContext::setStatus(const QString &text)
{
    m_statusText = text;
    const int width = SettingsWindowController::windowWidth - 2 * SettingsStatusBar::inset;
    m_statusLabel->setText(QFontMetrics(m_statusLabel->font()).elidedText(text, Qt::ElideRight, width));
    m_statusLabel->setToolTip(text);
}
