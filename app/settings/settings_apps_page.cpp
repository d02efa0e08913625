// The Apps page of the settings window: the user's application folders, the
// layout's upkeep (import, rearrange, rescan, import from another
// launcher) and the uninstall default.
#include "settings_page.h"

#include "settings_card.h"
#include "settings_context.h"
#include "settings_host.h"
#include "settings_style.h"

#include "localization/l10n.h"
#include "model/layout_backup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

const QString kEmptySourcesKey = QStringLiteral("默认扫描 /Applications、/System/Applications、~/Applications 等目录");

} // namespace

AppsPage::AppsPage(SettingsContext &context, SettingControls &settings)
    : SettingsPage(context, settings),
      m_sourcesTable(new QListWidget(context.holder())),
      m_emptySourcesLabel(plainLabel(L(kEmptySourcesKey), context.holder()))
{
    m_sourcesTable->setObjectName(QStringLiteral("sourcesTable"));
    m_emptySourcesLabel->setObjectName(QStringLiteral("emptySourcesLabel"));
    m_emptySourcesLabel->setWordWrap(true);
}

QList<QWidget *> AppsPage::controls() const
{
    return {m_sourcesTable, m_emptySourcesLabel};
}

QWidget *AppsPage::build(int width)
{
    m_sourcesTable->setUniformItemSizes(true);
    m_sourcesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sourcesTable->setFont(SettingsStyle::font(13));

    m_emptySourcesLabel->setFont(SettingsStyle::font(11));
    SettingsStyle::setTextColor(m_emptySourcesLabel, SettingsStyle::secondaryLabel());

    const int inner = width - 2 * rowInset;
    const auto buttonLine = [](const QList<QPushButton *> &buttons) {
        auto *line = new QWidget;
        auto *layout = new QHBoxLayout(line);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(10);
        for (QPushButton *button : buttons)
            layout->addWidget(button);
        layout->addStretch(1);
        return line;
    };

    const int emptyNoteHeight = std::max(22, m_emptySourcesLabel->heightForWidth(inner));
    QWidget *sourcesRow = customRow(104 + emptyNoteHeight, width, [this, inner, emptyNoteHeight](QWidget *row) {
        m_sourcesTable->setParent(row);
        m_sourcesTable->setGeometry(rowInset, 8, inner, 88);
        m_sourcesTable->show();
        m_emptySourcesLabel->setParent(row);
        m_emptySourcesLabel->setGeometry(rowInset, 100, inner, emptyNoteHeight);
    });
    QWidget *sourceButtons = buttonLine({pushButton(L(QStringLiteral("添加目录…")), [this] { addSource(); }),
                                         pushButton(L(QStringLiteral("移除所选")), [this] { removeSource(); })});
    QWidget *sourceButtonsRow = customRow(50, width, [sourceButtons, inner](QWidget *row) {
        sourceButtons->setParent(row);
        sourceButtons->setGeometry(rowInset, 9, inner, 32);
    });
    const QList<QPushButton *> maintenanceButtons{
        pushButton(L(QStringLiteral("导入系统启动台")), [this] { importNative(); }),
        pushButton(L(QStringLiteral("重新整理")), [this] { reorganize(); }),
        pushButton(L(QStringLiteral("重新扫描")), [this] { rescan(); })};
    int maintenanceWidth = 10 * int(maintenanceButtons.size() - 1);
    for (const QPushButton *button : maintenanceButtons)
        maintenanceWidth += button->sizeHint().width();
    // One line where the titles fit it, else the import on a line of its own.
    const bool oneLine = maintenanceWidth <= inner;
    QWidget *maintenance = nullptr;
    if (oneLine) {
        maintenance = buttonLine(maintenanceButtons);
    } else {
        maintenance = new QWidget;
        auto *lines = new QVBoxLayout(maintenance);
        lines->setContentsMargins(0, 0, 0, 0);
        lines->setSpacing(9);
        lines->addWidget(buttonLine({maintenanceButtons.first()}));
        lines->addWidget(buttonLine(maintenanceButtons.mid(1)));
    }
    const int maintenanceHeight = oneLine ? 32 : 73;
    QWidget *maintenanceRow = customRow(maintenanceHeight + 18, width, [maintenance, inner, maintenanceHeight](QWidget *row) {
        maintenance->setParent(row);
        maintenance->setGeometry(rowInset, 9, inner, maintenanceHeight);
    });
    QPushButton *importOther = pushButton(L(QStringLiteral("从其它启动器导入布局…")), [this] { importFromSource(); });
    QWidget *importRow = customRow(50, width, [importOther, inner](QWidget *row) {
        importOther->setParent(row);
        // 260 wide, or as wide as its title needs in a longer language.
        const int buttonWidth = std::min(inner, std::max(260, importOther->sizeHint().width()));
        importOther->setGeometry(rowInset, 9, buttonWidth, 32);
    });
    QLabel *note = hint(L(QStringLiteral(
        "卸载应用时，同时把它的偏好设置、缓存、容器等残留移到废纸篓；可在确认弹窗里单次改选。")));
    QWidget *uninstallNote = noteRow(note, width, 6, 32);

    return page({sectionHeader(L(QStringLiteral("应用来源")), width),
                 new SettingsCard({sourcesRow, sourceButtonsRow}, width),
                 sectionHeader(L(QStringLiteral("布局维护")), width),
                 card({maintenanceRow, importRow}, SettingsSection::layoutMaintenance, {}, width),
                 sectionHeader(L(QStringLiteral("卸载")), width),
                 card({}, SettingsSection::uninstall, {uninstallNote}, width)});
}

void AppsPage::refresh()
{
    m_emptySourcesLabel->setText(L(kEmptySourcesKey));
    m_emptySourcesLabel->setVisible(m_context.host().customSources().isEmpty());
    reloadSources();
}

void AppsPage::importNative()
{
    SettingsHost &host = m_context.host();
    const std::optional<ImportSummary> summary = host.importNativeLayout() ? host.lastImportSummary() : std::nullopt;
    if (summary)
        m_context.setStatus(L(QStringLiteral("已导入系统启动台的 %@。"), summary->statusText()));
    else
        m_context.setStatus(L(QStringLiteral("未找到原生启动台布局数据库（或数据库为空）。")));
}

void AppsPage::importFromSource()
{
    SettingsHost &host = m_context.host();
    const QList<LayoutSourceRecord> records = host.availableLayoutSources();
    if (records.isEmpty()) {
        m_context.setStatus(L(QStringLiteral("未在本机发现其它启动器的布局数据。")));
        return;
    }
    QStringList labels;
    for (const LayoutSourceRecord &record : records)
        labels.append(record.label());
    const auto &choose = m_context.environment().chooseLayoutSource;
    const std::optional<int> chosen = choose ? choose(m_context.window(), labels) : std::nullopt;
    if (!chosen || *chosen < 0 || *chosen >= records.size())
        return;
    const LayoutSourceRecord &record = records.at(*chosen);
    const std::optional<ImportSummary> summary = host.importLayout(record) ? host.lastImportSummary() : std::nullopt;
    if (summary)
        m_context.setStatus(L(QStringLiteral("已从 %@ 导入 %@ · %@"), record.source.label(), summary->statusText(),
                              host.lastImportDetail()));
    else
        m_context.setStatus(L(QStringLiteral("「%@」没有可导入的布局。"), record.source.label()));
}

void AppsPage::reorganize()
{
    // Rearranging by name discards the user's order; the previous layout
    // stays beside the new one.
    LayoutBackup::keep(m_context.host().layoutFilePath());
    m_context.host().reorganize();
    m_context.setStatus(L(QStringLiteral("已按名称重新整理布局。")));
}

void AppsPage::rescan()
{
    m_context.host().rescan();
    m_context.setStatus(L(QStringLiteral("已重新扫描，共 %d 个应用。"), m_context.host().appCount()));
}

void AppsPage::addSource()
{
    const auto &choose = m_context.environment().chooseFolder;
    const std::optional<QString> folder = choose ? choose(m_context.window()) : std::nullopt;
    if (!folder || folder->isEmpty())
        return;
    if (m_context.host().customSources().contains(*folder)) {
        m_context.setStatus(L(QStringLiteral("已在列表中：%@"), *folder));
        return;
    }
    m_context.host().addSource(*folder);
    reloadSources();
    m_context.setStatus(L(QStringLiteral("已添加：%@"), *folder));
}

void AppsPage::removeSource()
{
    const QStringList sources = m_context.host().customSources();
    const int row = m_sourcesTable->currentRow();
    if (row < 0 || row >= sources.size() || m_sourcesTable->selectedItems().isEmpty())
        return;
    m_context.host().removeSource(sources.at(row));
    reloadSources();
    m_context.setStatus(L(QStringLiteral("已移除所选来源。")));
}

void AppsPage::reloadSources()
{
    const QSignalBlocker quiet(m_sourcesTable);
    m_sourcesTable->clear();
    for (const QString &path : m_context.host().customSources()) {
        auto *item = new QListWidgetItem(path, m_sourcesTable);
        item->setSizeHint(QSize(0, 22));
        item->setToolTip(path);
    }
}
