#pragma once

#include "settings_table.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;
class QWidget;
class SettingControls;
class SettingsContext;

// One page of the settings window and its tab. A page is long-lived: it
// keeps its own controls across builds, and every build() makes its view
// anew in the language then in force, placing the setting rows of its cards
// among its own rows. Main thread only.
class SettingsPage : public QObject
{
    Q_OBJECT

public:
    SettingsPage(SettingsContext &context, SettingControls &settings);

    // The tab's symbol name and the catalog key of its caption.
    virtual QString tabSymbol() const = 0;
    virtual QString tabCaption() const = 0;
    // The page's view, `width` wide inside its margins.
    virtual QWidget *build(int width) = 0;
    // Copies the host's state into the page's own controls.
    virtual void refresh() {}
    // The page's long-lived controls, for the holder to take back.
    virtual QList<QWidget *> controls() const { return {}; }

protected:
    // A page of `views` stacked from the top.
    static QWidget *page(const QList<QWidget *> &views);
    static QWidget *sectionHeader(const QString &title, int width);
    static QLabel *hint(const QString &text);
    static QWidget *customRow(int height, int width, const std::function<void(QWidget *row)> &fill);
    // A row of a wrapped `note`, `top` pixels of room above and below it.
    static QWidget *noteRow(QLabel *note, int width, int top, int minimumHeight);
    // A card of the page's own rows `before`, the setting rows of
    // `section`, then its own rows `after`.
    QWidget *card(const QList<QWidget *> &before, SettingsSection section, const QList<QWidget *> &after, int width);
    // A push button that runs `action` when clicked.
    QPushButton *pushButton(const QString &title, const std::function<void()> &action);

    static QLabel *plainLabel(const QString &text, QWidget *parent);

    static constexpr int rowInset = 18;

    SettingsContext &m_context;
    SettingControls &m_settings;
};

// Language and the ways the launcher is called up.
class GeneralPage : public SettingsPage
{
    Q_OBJECT

public:
    using SettingsPage::SettingsPage;
    QString tabSymbol() const override { return QStringLiteral("gearshape"); }
    QString tabCaption() const override { return QStringLiteral("通用"); }
    QWidget *build(int width) override;
};

// The grid and the look of the launcher.
class InterfacePage : public SettingsPage
{
    Q_OBJECT

public:
    using SettingsPage::SettingsPage;
    QString tabSymbol() const override { return QStringLiteral("square.grid.2x2"); }
    QString tabCaption() const override { return QStringLiteral("界面"); }
    QWidget *build(int width) override;
};

// The application folders, the layout's upkeep and imports, and uninstalling.
class AppsPage : public SettingsPage
{
    Q_OBJECT

public:
    AppsPage(SettingsContext &context, SettingControls &settings);
    QString tabSymbol() const override { return QStringLiteral("app.badge"); }
    QString tabCaption() const override { return QStringLiteral("应用"); }
    QWidget *build(int width) override;
    void refresh() override;
    QList<QWidget *> controls() const override;

private:
    void importNative();
    void importFromSource();
    void reorganize();
    void rescan();
    void addSource();
    void removeSource();
    void reloadSources();

    QListWidget *m_sourcesTable;
    QLabel *m_emptySourcesLabel;
};

// The input channels and their permission.
class AdvancedPage : public SettingsPage
{
    Q_OBJECT

public:
    AdvancedPage(SettingsContext &context, SettingControls &settings);
    QString tabSymbol() const override { return QStringLiteral("slider.horizontal.3"); }
    QString tabCaption() const override { return QStringLiteral("高级"); }
    QWidget *build(int width) override;
    void refresh() override;
    QList<QWidget *> controls() const override;
    // Puts the host's input status (or the "not running" text) beside the
    // permission button.
    void refreshInputStatus();

private:
    void requestAccessibility();

    QPushButton *m_accessibilityButton;
    QLabel *m_inputStatusLabel;
};

// The application's name, mark and version.
class AboutPage : public SettingsPage
{
    Q_OBJECT

public:
    using SettingsPage::SettingsPage;
    QString tabSymbol() const override { return QStringLiteral("info.circle"); }
    QString tabCaption() const override { return QStringLiteral("关于"); }
    QWidget *build(int width) override;
};
