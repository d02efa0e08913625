#pragma once

#include "model/import_summary.h"
#include "import/layout_source.h"
#include "model/settings.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// Everything the settings window reads and changes outside itself: the live
// settings and layout of the launcher session, its commands, and the
// application's input channels and launcher window. The window never writes
// a setting except through updateSettings() or previewSettings().
class SettingsHost
{
public:
    using SettingsChange = std::function<void(Settings &)>;

    virtual ~SettingsHost() = default;

    // --- Settings ------------------------------------------------------------------
    virtual Settings settings() const = 0;
    // Applies `change`, writes the defaults when `persist`, saves the layout,
    // and lets every part of the application react.
    virtual void updateSettings(const SettingsChange &change, bool persist = true) = 0;
    // Applies `change` for a look while a slider moves: every part reacts,
    // nothing is written. The slider's final updateSettings() writes.
    virtual void previewSettings(const SettingsChange &change) = 0;

    // --- Applications and layout ---------------------------------------------------
    virtual int appCount() const = 0;
    // The user's extra application folders, in order.
    virtual QStringList customSources() const = 0;
    // Lists `path` and rescans; a path already listed changes nothing.
    virtual void addSource(const QString &path) = 0;
    virtual void removeSource(const QString &path) = 0;
    virtual void rescan() = 0;
    // Rearranges the layout by name at the current page size.
    virtual void reorganize() = 0;
    // The layout file, which rearranging and importing replace.
    virtual QString layoutFilePath() const = 0;

    // --- Imports -------------------------------------------------------------------
    virtual QList<LayoutSourceRecord> availableLayoutSources() const = 0;
    virtual bool importLayout(const LayoutSourceRecord &record) = 0;
    virtual bool importNativeLayout() = 0;
    virtual std::optional<ImportSummary> lastImportSummary() const = 0;
    virtual QString lastImportDetail() const = 0;

    // --- Triggers and input channels ------------------------------------------------
    // After the hot-key preset changed: register the key again.
    virtual void hotKeyChanged() = 0;
    // The desktop refused the current preset's key at its last registration:
    // another program holds it, so pressing it does not reach the launcher.
    virtual bool hotKeyHeldElsewhere() const = 0;
    // After the hot corner changed: arm the corner again.
    virtual void hotCornerChanged() = 0;
    // Asks the input channels to request their permission again.
    virtual void requestAccessibility() = 0;
    // What the input channels report; none when nothing reports.
    virtual std::optional<QString> inputStatus() const = 0;

    // --- Windows -------------------------------------------------------------------
    // The full-screen launcher window that the settings window stays above;
    // null when there is none.
    virtual QWidget *launcherWindow() const = 0;
};
