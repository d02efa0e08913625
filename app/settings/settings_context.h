#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QLabel;
class QWidget;
class SettingsHost;
class TimerScheduler;

// The modal panels and timers the settings window uses; system() gives the real ones.
struct SettingsEnvironment
{
    // Lets the user choose one folder; none when cancelled.
    std::function<std::optional<QString>(QWidget *window)> chooseFolder;
    // Lets the user choose one of the sources, labelled `labels`; the
    // chosen index, or none when cancelled.
    std::function<std::optional<int>(QWidget *window, const QStringList &labels)> chooseLayoutSource;
    // Timers for the sliders' rest; null: TimerScheduler::main().
    TimerScheduler *scheduler = nullptr;
    // Shown on the About page.
    QString version;

    static SettingsEnvironment system();
};

// What the pages of the settings window and the rows of its settings table
// share: the host, the panels and timers, the window that parents the
// panels, the holder that keeps the long-lived controls between builds, and
// the status line along the window's bottom. Main thread only.
class SettingsContext
{
public:
    SettingsContext(SettingsHost &host, SettingsEnvironment environment, QWidget *holder);

    SettingsHost &host() const { return m_host; }
    const SettingsEnvironment &environment() const { return m_environment; }
    TimerScheduler &scheduler() const;
    // Owns the long-lived controls while no page holds them.
    QWidget *holder() const { return m_holder; }
    // The settings window, the parent of the modal panels; null until it exists.
    QWidget *window() const { return m_window; }
    void setWindow(QWidget *window) { m_window = window; }

    // The status line: one line, cut at its end; the whole text is the
    // line's tooltip and statusText().
    QLabel *statusLabel() const { return m_statusLabel; }
    void setStatus(const QString &text);
    QString statusText() const { return m_statusText; }

    // The first show tells of a hot key that another program held at start;
    // once the user has chosen a hot key, that is old news.
    bool hotKeyNoticeDue() const { return m_hotKeyNoticeDue; }
    void dismissHotKeyNotice() { m_hotKeyNoticeDue = false; }

private:
    SettingsHost &m_host;
    SettingsEnvironment m_environment;
    QWidget *m_holder;
    QWidget *m_window = nullptr;
    QLabel *m_statusLabel;
    QString m_statusText;
    bool m_hotKeyNoticeDue = true;
};
