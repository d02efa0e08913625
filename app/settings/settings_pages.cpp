// The settings window's page builders: the shared pieces (page, section
// header, hint, custom row, pop-up and slider set-up) and the five pages.
// Every build looks every text up anew in the language then in force; the
// controls are the controller's and only placed here.
#include "settings_window_controller.h"

#include "popup_button.h"
#include "settings_button.h"
#include "settings_card.h"
#include "settings_row.h"
#include "settings_slider.h"
#include "settings_style.h"
#include "toggle_switch.h"

#include "localization/key_words.h"
#include "localization/app_language.h"
#include "localization/l10n.h"
#include "model/settings.h"
#include "model/pinch_gesture.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kControlWidth = 200;
constexpr int kRowInset = 18;

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The application's mark: its window icon, or a grid of rounded squares.
QPixmap applicationMark(int side)
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(side, side);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, side);
    gradient.setColorAt(0, QColor(0x5b, 0x8d, 0xef));
    gradient.setColorAt(1, QColor(0x34, 0x5d, 0xc8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(0, 0, side, side), side * 0.22, side * 0.22);
    const double gap = side / 9.0;
    const double cell = (side - 4 * gap) / 3.0;
    painter.setBrush(QColor(255, 255, 255, 235));
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            painter.drawRoundedRect(QRectF(gap + column * (cell + gap), gap + row * (cell + gap), cell, cell),
                                    cell * 0.25, cell * 0.25);
    }
    return pixmap;
}

template <typename Case>
QStringList labels(const QList<Case> &cases)
{
    QStringList titles;
    for (const Case &value : cases)
        titles.append(KeyWords::forDisplay(value.label()));
    return titles;
}

} // namespace

QList<std::pair<QString, QString>> SettingsWindowController::tabItems() const
{
    return {
        {QStringLiteral("gearshape"), L(QStringLiteral("通用"))},
        {QStringLiteral("square.grid.2x2"), L(QStringLiteral("界面"))},
        {QStringLiteral("app.badge"), L(QStringLiteral("应用"))},
        {QStringLiteral("slider.horizontal.3"), L(QStringLiteral("高级"))},
        {QStringLiteral("info.circle"), L(QStringLiteral("关于"))},
    };
}

QWidget *SettingsWindowController::page(const QList<QWidget *> &views)
{
    auto *page = new QWidget;
    auto *stack = new QVBoxLayout(page);
    stack->setContentsMargins(sideInset, 20, sideInset, 20);
    stack->setSpacing(16);
    for (QWidget *view : views)
        stack->addWidget(view, 0, Qt::AlignLeft | Qt::AlignTop);
    stack->addStretch(1);
    page->resize(windowWidth, page->sizeHint().height());
    return page;
}

QWidget *SettingsWindowController::sectionHeader(const QString &title, int width)
{
    QLabel *header = plainLabel(title, nullptr);
    header->setFont(SettingsStyle::font(16, QFont::Bold));
    setTextColor(header, SettingsStyle::label());
    header->setFixedSize(width, 26);
    return header;
}

QLabel *SettingsWindowController::hint(const QString &text)
{
    QLabel *label = plainLabel(text, nullptr);
    label->setWordWrap(true);
    label->setFont(SettingsStyle::font(11.5));
    setTextColor(label, SettingsStyle::secondaryLabel());
    return label;
}

QWidget *SettingsWindowController::customRow(int height, int width, const std::function<void(QWidget *row)> &fill)
{
    auto *row = new QWidget;
    row->setFixedSize(width, height);
    fill(row);
    return row;
}

QWidget *SettingsWindowController::noteRow(QLabel *note, int width, int top, int minimumHeight)
{
    // As tall as the note needs in the current language: a longer one
    // wraps onto another line instead of being cut.
    const int inner = width - 2 * kRowInset;
    const int height = std::max(minimumHeight, note->heightForWidth(inner));
    return customRow(height + 2 * top, width, [note, inner, top, height](QWidget *row) {
        note->setParent(row);
        note->setGeometry(kRowInset, top, inner, height);
    });
}

void SettingsWindowController::configurePopup(PopupButton *popup, const QStringList &items)
{
    const QSignalBlocker quiet(popup);
    popup->setItems(items);
    popup->setFont(SettingsStyle::font(14.5));
    if (!m_sizingApplied)
        popup->setFixedWidth(kControlWidth);
}

void SettingsWindowController::configureSlider(SettingsSlider *slider, double minimum, double maximum)
{
    const QSignalBlocker quiet(slider);
    slider->setDoubleRange(minimum, maximum);
    if (!m_sizingApplied)
        slider->setFixedWidth(kControlWidth);
}

QWidget *SettingsWindowController::sliderRow(SettingsSlider *slider, QLabel *valueLabel)
{
    auto *row = new QWidget;
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(slider, 0, Qt::AlignVCenter);
    if (valueLabel) {
        valueLabel->setFont(SettingsStyle::font(13));
        setTextColor(valueLabel, SettingsStyle::label());
        valueLabel->setMinimumWidth(QFontMetrics(valueLabel->font()).horizontalAdvance(QStringLiteral("100%")));
        line->addWidget(valueLabel, 0, Qt::AlignVCenter);
        valueLabel->show();
    }
    slider->show();
    return row;
}

QPushButton *SettingsWindowController::pushButton(const QString &title, void (SettingsWindowController::*action)())
{
    auto *button = new SettingsButton(title);
    connect(button, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
    return button;
}

// ---------------------------------------------------------------- General

QWidget *SettingsWindowController::generalPage(int width)
{
    QStringList languages;
    for (const AppLanguage &language : AppLanguage::allCases())
        languages.append(language.displayName());
    configurePopup(m_languagePopup, languages);
    configurePopup(m_hotKeyPopup, labels(Settings::HotKeyPreset::allCases()));
    configurePopup(m_cornerPopup, labels(Settings::HotCorner::allCases()));
    configurePopup(m_pinchPopup, labels(PinchGesture::allCases()));
    QLabel *note = hint(L(QStringLiteral("切换语言后界面会立即刷新，无需重启。")));

    auto *languageCard =
        new SettingsCard({new SettingsRow(L(QStringLiteral("语言")), m_languagePopup), noteRow(note, width, 4, 24)},
                         width);
    auto *activationCard = new SettingsCard({new SettingsRow(L(QStringLiteral("全局快捷键")), m_hotKeyPopup),
                                             new SettingsRow(L(QStringLiteral("F4 / 启动台键")), m_f4Button),
                                             new SettingsRow(L(QStringLiteral("捏合手势")), m_pinchPopup),
                                             new SettingsRow(L(QStringLiteral("触发角")), m_cornerPopup)},
                                            width);
    return page({sectionHeader(L(QStringLiteral("语言")), width), languageCard,
                 sectionHeader(L(QStringLiteral("唤起方式")), width), activationCard});
}

// -------------------------------------------------------------- Interface

QWidget *SettingsWindowController::interfacePage(int width)
{
    QStringList columns;
    for (int n = 4; n <= 10; ++n)
        columns.append(QString::number(n));
    QStringList rows;
    for (int n = 3; n <= 7; ++n)
        rows.append(QString::number(n));
    configurePopup(m_columnsPopup, columns);
    configurePopup(m_rowsPopup, rows);
    configurePopup(m_modePopup, labels(Settings::ViewMode::allCases()));
    configureSlider(m_marginSlider, 0.02, 0.28);
    configureSlider(m_iconSlider, 0.75, 1.25);
    configureSlider(m_dimSlider, 0, 0.85);

    auto *gridCard = new SettingsCard(
        {new SettingsRow(L(QStringLiteral("每页列数")), m_columnsPopup),
         new SettingsRow(L(QStringLiteral("每页行数")), m_rowsPopup),
         new SettingsRow(L(QStringLiteral("浏览方式")), m_modePopup),
         new SettingsRow(L(QStringLiteral("两侧留白")), sliderRow(m_marginSlider, m_marginValueLabel)),
         new SettingsRow(L(QStringLiteral("图标大小")), sliderRow(m_iconSlider, m_iconValueLabel))},
        width);
    auto *appearanceCard =
        new SettingsCard({new SettingsRow(L(QStringLiteral("背景暗度")), sliderRow(m_dimSlider, nullptr)),
                          new SettingsRow(L(QStringLiteral("页面滑动动画")), m_animateButton),
                          new SettingsRow(L(QStringLiteral("显示应用名称")), m_labelsButton),
                          new SettingsRow(L(QStringLiteral("显示已隐藏应用")), m_hiddenButton),
                          new SettingsRow(L(QStringLiteral("使用启动台名称")), m_launchpadNamesButton)},
                         width);
    return page({sectionHeader(L(QStringLiteral("网格与布局")), width), gridCard,
                 sectionHeader(L(QStringLiteral("外观")), width), appearanceCard});
}

// ------------------------------------------------------------------- Apps

QWidget *SettingsWindowController::appsPage(int width)
{
    m_sourcesTable->setUniformItemSizes(true);
    m_sourcesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sourcesTable->setFont(SettingsStyle::font(13));

    m_emptySourcesLabel->setFont(SettingsStyle::font(11));
    setTextColor(m_emptySourcesLabel, SettingsStyle::secondaryLabel());

    const int inner = width - 2 * kRowInset;
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
        m_sourcesTable->setGeometry(kRowInset, 8, inner, 88);
        m_sourcesTable->show();
        m_emptySourcesLabel->setParent(row);
        m_emptySourcesLabel->setGeometry(kRowInset, 100, inner, emptyNoteHeight);
    });
    QWidget *sourceButtons = buttonLine({pushButton(L(QStringLiteral("添加目录…")), &SettingsWindowController::addSource),
                                         pushButton(L(QStringLiteral("移除所选")), &SettingsWindowController::removeSource)});
    QWidget *sourceButtonsRow = customRow(50, width, [sourceButtons, inner](QWidget *row) {
        sourceButtons->setParent(row);
        sourceButtons->setGeometry(kRowInset, 9, inner, 32);
    });
    const QList<QPushButton *> maintenanceButtons{
        pushButton(L(QStringLiteral("导入系统启动台")), &SettingsWindowController::importNative),
        pushButton(L(QStringLiteral("重新整理")), &SettingsWindowController::reorganize),
        pushButton(L(QStringLiteral("重新扫描")), &SettingsWindowController::rescan)};
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
        maintenance->setGeometry(kRowInset, 9, inner, maintenanceHeight);
    });
    QPushButton *importOther =
        pushButton(L(QStringLiteral("从其它启动器导入布局…")), &SettingsWindowController::importFromSource);
    QWidget *importRow = customRow(50, width, [importOther, inner](QWidget *row) {
        importOther->setParent(row);
        // 260 wide, or as wide as its title needs in a longer language.
        const int buttonWidth = std::min(inner, std::max(260, importOther->sizeHint().width()));
        importOther->setGeometry(kRowInset, 9, buttonWidth, 32);
    });
    QLabel *note = hint(L(QStringLiteral(
        "卸载应用时，同时把它的偏好设置、缓存、容器等残留移到废纸篓；可在确认弹窗里单次改选。")));
    QWidget *uninstallNote = noteRow(note, width, 6, 32);

    return page({sectionHeader(L(QStringLiteral("应用来源")), width),
                 new SettingsCard({sourcesRow, sourceButtonsRow}, width),
                 sectionHeader(L(QStringLiteral("布局维护")), width),
                 new SettingsCard({maintenanceRow, importRow,
                                   new SettingsRow(L(QStringLiteral("采纳来源网格")), m_adoptGridButton)},
                                  width),
                 sectionHeader(L(QStringLiteral("卸载")), width),
                 new SettingsCard({new SettingsRow(L(QStringLiteral("默认纯净卸载")), m_pureUninstallButton), uninstallNote},
                                  width)});
}

// --------------------------------------------------------------- Advanced

QWidget *SettingsWindowController::advancedPage(int width)
{
    m_inputStatusLabel->setFont(SettingsStyle::font(11));
    setTextColor(m_inputStatusLabel, SettingsStyle::secondaryLabel());
    // Two lines where a language needs them.
    m_inputStatusLabel->setWordWrap(true);
    if (!m_sizingApplied)
        m_inputStatusLabel->setFixedWidth(150);

    auto *access = new QWidget;
    auto *line = new QHBoxLayout(access);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(m_accessibilityButton, 0, Qt::AlignVCenter);
    line->addWidget(m_inputStatusLabel, 0, Qt::AlignVCenter);
    m_accessibilityButton->show();
    m_inputStatusLabel->show();

    return page({sectionHeader(L(QStringLiteral("输入与权限")), width),
                 new SettingsCard({new SettingsRow(L(QStringLiteral("键盘与手势监听")), m_eventTapButton),
                                   new SettingsRow(L(QStringLiteral("系统事件时收起")), m_hideOnSystemButton),
                                   new SettingsRow(L(QStringLiteral("X 服务器输入权限")), access)},
                                  width)});
}

// ------------------------------------------------------------------ About

QWidget *SettingsWindowController::aboutPage(int width)
{
    const QString version = m_environment.version.isEmpty() ? QStringLiteral("1.0") : m_environment.version;
    QWidget *about = customRow(132, width, [version, width](QWidget *row) {
        auto *icon = new QLabel(row);
        icon->setObjectName(QStringLiteral("aboutIcon"));
        icon->setPixmap(applicationMark(76));
        icon->setScaledContents(true);
        icon->setGeometry(kRowInset, 28, 76, 76);

        QLabel *name = plainLabel(QStringLiteral("Tessellon"), row);
        name->setFont(SettingsStyle::font(20, QFont::DemiBold));
        setTextColor(name, SettingsStyle::label());
        name->setGeometry(110, 28, width - 140, 30);

        QLabel *versionLabel = plainLabel(L(QStringLiteral("版本")) + QLatin1Char(' ') + version, row);
        versionLabel->setObjectName(QStringLiteral("aboutVersion"));
        versionLabel->setFont(SettingsStyle::font(12));
        setTextColor(versionLabel, SettingsStyle::secondaryLabel());
        versionLabel->setGeometry(110, 58, width - 140, 20);

        QLabel *tagline = plainLabel(L(QStringLiteral("快速、简洁的原生应用启动器")), row);
        tagline->setFont(SettingsStyle::font(12));
        setTextColor(tagline, SettingsStyle::secondaryLabel());
        tagline->setGeometry(110, 80, width - 140, 20);
    });
    return page({sectionHeader(L(QStringLiteral("关于")), width), new SettingsCard({about}, width)});
}
