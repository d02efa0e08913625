#pragma once

#include "foundation/notification_center.h"

#include <QString>

// The desktop's system events (lock, sleep, show desktop, session switches)
// as named notifications. The desktop watchers post them into
// systemNotificationCenter(); the input monitor observes them there.
namespace SystemNotifications {
inline const QString screenIsLocked = QStringLiteral("Tessellon.system.screenIsLocked");
inline const QString screenIsUnlocked = QStringLiteral("Tessellon.system.screenIsUnlocked");
inline const QString showDesktopSet = QStringLiteral("Tessellon.system.showDesktopSet");
// Show-desktop ended.
inline const QString showDesktopAwake = QStringLiteral("Tessellon.system.showDesktopAwake");
// The permission to observe system-wide input may have changed.
inline const QString accessibilityChanged = QStringLiteral("Tessellon.system.accessibilityChanged");
inline const QString willSleep = QStringLiteral("Tessellon.system.willSleep");
inline const QString didWake = QStringLiteral("Tessellon.system.didWake");
inline const QString sessionDidResignActive = QStringLiteral("Tessellon.system.sessionDidResignActive");
inline const QString sessionDidBecomeActive = QStringLiteral("Tessellon.system.sessionDidBecomeActive");
} // namespace SystemNotifications

// The process's one centre for system-event notifications, made on first use.
NotificationCenter &systemNotificationCenter();
