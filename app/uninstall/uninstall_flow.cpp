#include "uninstall/uninstall_flow.h"

#include "uninstall/running_app_probe.h"
#include "uninstall/uninstall_accessory.h"
#include "uninstall/uninstall_scan_box.h"

#include "modal/alert_box.h"
#include "modal/modal_step_aside.h"
#include "session/launcher_session.h"
#include "trash/freedesktop_trash.h"

#include "foundation/log.h"
#include "localization/l10n.h"
#include "model/file_user_defaults.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"
#include "uninstall/residue_safety.h"
#include "uninstall/uninstall_mover.h"

#include <QCheckBox>
#include <QDir>
#include <QFutureWatcher>
#include <QPromise>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRunnable>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <chrono>

// The state of one open dialog. The scan job holds the box too: a scan that
// ends after the dialog publishes into a box nobody reads.
struct UninstallFlow::Dialog
{
    std::shared_ptr<UninstallScanBox> box = std::make_shared<UninstallScanBox>();
    QPointer<AlertBox> alert;
    UninstallAccessory *accessory = nullptr;
    QCheckBox *checkbox = nullptr;
    QTimer *timer = nullptr;
    double scanStart = 0;
    // The scan's progress count last seen, and when it last changed.
    quint64 seenProgress = 0;
    double lastProgress = 0;
    double minimumLoading = defaultMinimumLoading;
    bool preselected = false;
    bool settled = false;
};

namespace {

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

UninstallFlow::Environment UninstallFlow::Environment::system()
{
    Environment environment;
    environment.home = QDir::homePath();
    environment.protectedPaths << QFileInfo(FileUserDefaults::defaultFilePath()).path();
    const QProcessEnvironment process = QProcessEnvironment::systemEnvironment();
    if (process.contains(QStringLiteral("TS_UNINSTALL_MIN_LOADING")))
        environment.minimumLoadingValue = process.value(QStringLiteral("TS_UNINSTALL_MIN_LOADING"));
    return environment;
}

UninstallFlow::UninstallFlow(LauncherSession &session, Host host, Environment environment, QObject *parent)
    : QObject(parent), m_session(session), m_host(std::move(host)), m_environment(std::move(environment))
{
    if (!m_environment.now)
        m_environment.now = steadySeconds;
    if (!m_environment.runningApps)
        m_environment.runningApps = std::make_shared<ProcRunningAppProbe>();
    if (!m_environment.trash)
        m_environment.trash = std::make_shared<FreedesktopTrash>();
}

UninstallFlow::~UninstallFlow() = default;

double UninstallFlow::minimumLoadingTime(const std::optional<QString> &value)
{
    if (!value)
        return defaultMinimumLoading;
    bool ok = false;
    const double seconds = value->trimmed().toDouble(&ok);
    if (!ok || !(seconds >= 0 && seconds <= 10))
        return defaultMinimumLoading;
    return seconds;
}

QStringList UninstallFlow::protectedPaths() const
{
    QStringList paths = m_environment.protectedPaths;
    paths << m_session.store().directory();
    paths << m_session.layout().customSources;
    paths.removeAll(QString());
    return paths;
}

AlertBox *UninstallFlow::currentAlert() const
{
    return m_alert.data();
}

UninstallAccessory *UninstallFlow::currentAccessory() const
{
    return m_dialog ? m_dialog->accessory : nullptr;
}

QCheckBox *UninstallFlow::currentCheckbox() const
{
    return m_dialog ? m_dialog->checkbox : nullptr;
}

bool UninstallFlow::waitForScan(int milliseconds) const
{
    return m_dialog && m_dialog->box->waitForPending(milliseconds);
}

void UninstallFlow::uninstall(const QStringList &appIDs, bool previewOnly)
{
    // One confirmation at a time: a request while one is open, or while the
    // last one still moves its files, is dropped.
    if (m_dialog || m_moving)
        return;
    QList<AppItem> apps;
    for (const QString &id : appIDs) {
        const std::optional<AppItem> app = m_session.app(id);
        if (app && !app->isSystemApp)
            apps << *app;
    }
    if (apps.isEmpty())
        return;

    if (m_host.exitEditMode)
        m_host.exitEditMode();
    const double opened = m_environment.now();
    if (m_host.stepAside)
        m_host.stepAside->stepAside();

    QStringList names;
    for (const AppItem &app : apps)
        names << app.name;
    if (previewOnly)
        Log::writeLine(QStringLiteral("[uninstall-preview] 确认框已打开 应用=") + names.join(QLatin1Char(','))
                       + QStringLiteral(" loading=1（未删除任何文件）"));

    const QStringList running = m_environment.runningApps->runningAppNames(apps, m_session.layout().nameOverrides);
    const bool preselected = m_session.settings().pureUninstall;
    const QList<AppItem> installed = m_session.apps();

    auto alert = std::make_unique<AlertBox>();
    alert->setAlertStyle(AlertBox::Style::critical);
    alert->setMessageText(apps.size() == 1 ? L("卸载「%@」？", apps.first().name)
                                           : L("卸载 %d 个应用？", int(apps.size())));
    QString informative =
        L("应用本体会移到废纸篓，可安全清理的残留会列在下方；之后都能从废纸篓恢复，系统应用与 /Library 下的系统级文件不受影响。");
    if (!running.isEmpty())
        informative += L("\n\n注意：%@ 正在运行，部分文件可能被占用而无法清理，建议先退出。", running.join(L("、")));
    if (previewOnly)
        informative.prepend(QStringLiteral("【取证预览】本次不会删除任何文件，也不会写入设置。\n\n"));
    alert->setInformativeText(informative);

    auto *checkbox = new QCheckBox(L("正在扫描残留文件…"));
    checkbox->setChecked(false);
    checkbox->setEnabled(false);
    QFont font = checkbox->font();
    font.setPixelSize(12);
    font.setWeight(QFont::Medium);
    checkbox->setFont(font);
    connect(checkbox, &QCheckBox::toggled, this, [this](bool on) { togglePureUninstallOption(on); });
    auto *accessory = new UninstallAccessory(checkbox, m_environment.home);
    alert->setAccessoryView(accessory);
    // The first button waits for the scan; Cancel (the second) answers at once.
    alert->addButton(L("正在扫描…"))->setEnabled(false);
    alert->addButton(L("取消"));
    m_alert = alert.get();

    auto dialog = std::make_shared<Dialog>();
    dialog->alert = alert.get();
    dialog->accessory = accessory;
    dialog->checkbox = checkbox;
    dialog->preselected = preselected;
    dialog->minimumLoading = minimumLoadingTime(m_environment.minimumLoadingValue);
    m_dialog = dialog;

    Scan scan = m_environment.scan;
    if (!scan) {
        scan = [home = m_environment.home, protectedPaths = protectedPaths()](const QList<AppItem> &chosen,
                                                                               const QList<AppItem> &all,
                                                                               const std::function<void()> &progress) {
            const LocalFileSystemAccess fs;
            return AppResidueScanner(home, fs, protectedPaths).scan(chosen, all, progress);
        };
    }
    dialog->scanStart = m_environment.now();
    QThreadPool::globalInstance()->start([scan, apps, installed, box = dialog->box] {
        box->publish(scan(apps, installed, [&box] { box->noteProgress(); }));
    });

    if (m_environment.startsPollTimer) {
        dialog->timer = new QTimer(this);
        dialog->timer->setInterval(int(pollInterval * 1000));
        connect(dialog->timer, &QTimer::timeout, this, [this] { pollTick(); });
        dialog->timer->start();
    }
    const auto cleanUp = [this, dialog] {
        if (dialog->timer) {
            dialog->timer->stop();
            dialog->timer->deleteLater();
            dialog->timer = nullptr;
        }
        m_alert = nullptr;
        m_dialog.reset();
    };

    Log::write("[uninstall] 列表已收起，确认框先以 loading 显示（点击到弹窗 %.3fs，不含扫描）",
               m_environment.now() - opened);
    const int response = m_host.runAlert ? m_host.runAlert(*alert) : AlertBox::secondButtonReturn;

    const QList<UninstallResidue> residues = dialog->box->result();
    const bool clean = checkbox->isChecked() && !residues.isEmpty();
    if (response != AlertBox::firstButtonReturn) {
        if (m_host.stepAside)
            m_host.stepAside->comeBack();
        cleanUp();
        return;
    }
    if (previewOnly) {
        Log::writeLine(QStringLiteral("[uninstall-preview] 应用=") + names.join(QLatin1Char(',')) + QStringLiteral(" 残留=")
                       + QString::number(residues.size()) + QStringLiteral(" 纯净=") + QString::number(clean ? 1 : 0)
                       + QStringLiteral("（未删除任何文件）"));
        if (m_host.stepAside)
            m_host.stepAside->comeBack();
        cleanUp();
        return;
    }
    if (!residues.isEmpty())
        m_session.updateSettings([clean](Settings &settings) { settings.pureUninstall = clean; }, true);
    cleanUp();
    alert.reset();
    // The launcher stays out while the Trash step runs and reports.
    recycle(apps, clean ? residues : QList<UninstallResidue>());
}

bool UninstallFlow::pollTick()
{
    const std::shared_ptr<Dialog> dialog = m_dialog;
    if (!dialog || dialog->settled)
        return true;
    const double now = m_environment.now();
    const double elapsed = now - dialog->scanStart;
    if (const quint64 progress = dialog->box->progress(); progress != dialog->seenProgress) {
        dialog->seenProgress = progress;
        dialog->lastProgress = now;
    }
    if (elapsed < dialog->minimumLoading)
        return false;
    QList<UninstallResidue> residues;
    bool timedOut = false;
    if (std::optional<QList<UninstallResidue>> published = dialog->box->consume()) {
        residues = *published;
    } else {
        const double quiet = now - std::max(dialog->scanStart, dialog->lastProgress);
        if (quiet <= scanTimeLimit && elapsed <= scanCeiling)
            return false;
        timedOut = true;
    }
    dialog->settled = true;
    if (dialog->timer)
        dialog->timer->stop();
    if (!dialog->alert || m_alert != dialog->alert)
        return true;

    const bool found = !residues.isEmpty();
    const bool ticked = dialog->preselected && found;
    if (residues.size() == 1)
        dialog->checkbox->setText(L("纯净卸载：同时清理 1 项配置、缓存与容器等残留"));
    else if (found)
        dialog->checkbox->setText(L("纯净卸载：同时清理 %d 项配置、缓存与容器等残留", int(residues.size())));
    else if (!timedOut)
        dialog->checkbox->setText(L("纯净卸载（未发现可清理的残留）"));
    else
        dialog->checkbox->setText(L("纯净卸载（扫描超时）"));
    {
        const QSignalBlocker quiet(dialog->checkbox);
        dialog->checkbox->setChecked(ticked);
    }
    dialog->checkbox->setEnabled(found);
    dialog->alert->setFirstButtonTitle(ticked ? L("卸载并清理") : L("仅卸载应用"));
    dialog->alert->firstButton()->setEnabled(true);
    dialog->accessory->updateResidueSlot(residues, timedOut);
    Log::writeLine(QStringLiteral("[uninstall] 残留扫描完成: ") + QString::number(residues.size())
                   + QStringLiteral(" 项 / ") + QString::number(elapsed, 'f', 2) + QStringLiteral("s")
                   + (timedOut ? QStringLiteral("（超时兜底）") : QString()));
    return true;
}

void UninstallFlow::togglePureUninstallOption(bool on)
{
    if (m_alert)
        m_alert->setFirstButtonTitle(on ? L("卸载并清理") : L("仅卸载应用"));
}

void UninstallFlow::recycle(const QList<AppItem> &apps, const QList<UninstallResidue> &residues)
{
    QStringList installedPaths;
    for (const AppItem &app : m_session.apps())
        installedPaths << app.path;
    // Many leftovers take long to move: the work runs off the main thread,
    // and the watcher, a child of this flow, hands the report back (or
    // nothing, when the flow is gone by then).
    auto promise = std::make_shared<QPromise<UninstallReport>>();
    auto *watcher = new QFutureWatcher<UninstallReport>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        finishRecycle(watcher->future().result());
    });
    watcher->setFuture(promise->future());
    m_moving = true;
    promise->start();
    // The job holds the Trash too: it outlives a flow destroyed meanwhile.
    const UninstallMover::MoveToTrash move = [trash = m_environment.trash](const QStringList &paths,
                                                                         const QString &within) {
        return within.isEmpty() ? trash->moveToTrash(paths) : trash->moveToTrashWithin(within, paths);
    };
    QThreadPool::globalInstance()->start([promise, home = m_environment.home, installedPaths,
                                          protectedPaths = protectedPaths(), move, apps, residues] {
        const LocalFileSystemAccess fs;
        const ResidueSafety safety(home, installedPaths, protectedPaths, fs);
        promise->addResult(UninstallMover(safety, move).run(apps, residues));
        promise->finish();
    });
}

void UninstallFlow::finishRecycle(const UninstallReport &report)
{
    m_moving = false;
    for (const QString &line : report.failureLogLines())
        Log::writeLine(line);
    const QSet<QString> removed = report.removedAppIDs();
    m_session.rescan(removed);
    if (!removed.isEmpty())
        Log::write("[uninstall] 已从网格移除 %d 个已卸载应用", int(removed.size()));
    m_lastReport = report;
    if (m_host.showReport)
        m_host.showReport(report.title(), report.informativeText(), report.incomplete());
    emit uninstallFinished();
}
