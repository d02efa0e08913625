#pragma once

#include "modal/uninstall_requests.h"
#include "uninstall/uninstall_report.h"
#include "uninstall/uninstall_residue.h"
#include "uninstall/trash_outcome.h"
#include "uninstall/uninstall_mover.h"

#include "model/app_item.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AlertBox;
class LauncherSession;
class ModalStepAside;
class QCheckBox;
class QDialog;
class QTimer;
class RunningAppProbe;
class TrashService;
class UninstallAccessory;
class UninstallScanBox;

// The uninstall confirmation and what follows it: a critical alert shown at
// once in a loading state while the leftover scan runs on a worker thread; a
// timer on the main thread looks for the result every 0.05 s and fills the
// alert in, or gives up when the scan has not advanced for 8 s. A
// confirmation moves the applications to the Trash, then the accepted
// leftovers of those that went, on a worker thread; when that is done it
// rescans the session without them and reports. A preview runs the same
// dialog and moves nothing.
class UninstallFlow : public QObject, public UninstallRequests
{
    Q_OBJECT

public:
    static constexpr double pollInterval = 0.05;
    // The dialog stops waiting when the scan has not advanced for this long
    // (a large but legitimate set of leftovers keeps it going), and in any
    // case after scanCeiling.
    static constexpr double scanTimeLimit = 8.0;
    static constexpr double scanCeiling = 60.0;
    static constexpr double defaultMinimumLoading = 0.3;

    // What the flow does to the rest of the program; unset functions do nothing
    // (runAlert: the dialog counts as cancelled).
    struct Host
    {
        std::function<void()> exitEditMode;
        // The launcher steps aside so the alert can be seen, and comes back
        // when the dialog ends without a move; none: it stays as it is.
        ModalStepAside *stepAside = nullptr;
        // Runs the alert modally; returns its response.
        std::function<int(QDialog &alert)> runAlert;
        // The one-button report.
        std::function<void(const QString &title, const QString &text, bool warning)> showReport;
    };

    // `progress` is to be called whenever the scan advances.
    using Scan = std::function<QList<UninstallResidue>(const QList<AppItem> &apps, const QList<AppItem> &installedApps,
                                                       const std::function<void()> &progress)>;

    struct Environment
    {
        // The home whose Library folder holds the leftovers.
        QString home;
        // Folders never taken nor entered, besides the installed bundles.
        QStringList protectedPaths;
        // The scan; runs on a worker thread. Unset: the residue scanner on
        // the local disk with `home` and `protectedPaths`.
        Scan scan;
        // The Trash; the move runs on a worker thread, one at a time. Unset:
        // the freedesktop Trash of this user.
        std::shared_ptr<TrashService> trash;
        // Seconds of a monotonic clock. Unset: the steady clock.
        std::function<double()> now;
        // The value of "TS_UNINSTALL_MIN_LOADING"; none when unset.
        std::optional<QString> minimumLoadingValue;
        // Unset: the processes of /proc.
        std::shared_ptr<RunningAppProbe> runningApps;
        // False in tests that tick by hand.
        bool startsPollTimer = true;

        // The user's home with the settings folder protected, and the real
        // disk, Trash, clock and process environment. The session's state
        // folder and the layout's extra folders are protected as well, read
        // from the session when the flow needs them.
        static Environment system();
    };

    UninstallFlow(LauncherSession &session, Host host, Environment environment, QObject *parent = nullptr);
    ~UninstallFlow() override;

    // UninstallRequests
    void uninstall(const QStringList &appIDs, bool previewOnly) override;

    // The minimum time the loading state lasts for an environment value: the
    // value when it is a number from 0 to 10, else 0.3 s.
    static double minimumLoadingTime(const std::optional<QString> &value);

    // The dialog now open (for its host and tests); null when none.
    AlertBox *currentAlert() const;
    UninstallAccessory *currentAccessory() const;
    QCheckBox *currentCheckbox() const;
    // One poll of the open dialog; true once it was filled in (or gave up).
    bool pollTick();
    // Waits up to `milliseconds` for the open dialog's scan to publish (tests).
    bool waitForScan(int milliseconds) const;
    // The report of the last confirmed uninstall.
    const std::optional<UninstallReport> &lastReport() const { return m_lastReport; }
    // True from a confirmation until its move ended; no dialog opens
    // meanwhile.
    bool isMoving() const { return m_moving; }

signals:
    // The move of a confirmed uninstall ended: the session was rescanned and
    // the report shown (lastReport() holds it).
    void uninstallFinished();

private:
    struct Dialog;
    void recycle(const QList<AppItem> &apps, const QList<UninstallResidue> &residues);
    void finishRecycle(const UninstallReport &report);
    void togglePureUninstallOption(bool on);
    QStringList protectedPaths() const;

    LauncherSession &m_session;
    Host m_host;
    Environment m_environment;
    QPointer<AlertBox> m_alert;
    std::shared_ptr<Dialog> m_dialog;
    std::optional<UninstallReport> m_lastReport;
    bool m_moving = false;
};
