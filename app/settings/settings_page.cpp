// The settings window's pages: the pieces they share (page, section header,
// hint, custom row, card) and the General, Interface, Advanced and About
// pages. Every build looks every text up anew in the language in force.
#include "settings_page.h"

#include "setting_controls.h"
#include "settings_button.h"
#include "settings_card.h"
#include "settings_context.h"
#include "settings_host.h"
#include "settings_row.h"
#include "settings_style.h"
#include "settings_window_controller.h"

#include "localization/l10n.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kGrantKey = QStringLiteral("授权…");
const QString kNotRunningKey = QStringLiteral("输入通道未启动");

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

} // namespace

SettingsPage::SettingsPage(SettingsContext &context, SettingControls &settings)
    : m_context(context), m_settings(settings)
{
}

QLabel *SettingsPage::plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QWidget *SettingsPage::page(const QList<QWidget *> &views)
{
    constexpr int inset = SettingsWindowController::sideInset;
    auto *page = new QWidget;
    auto *stack = new QVBoxLayout(page);
    stack->setContentsMargins(inset, 20, inset, 20);
    stack->setSpacing(16);
    for (QWidget *view : views)
        stack->addWidget(view, 0, Qt::AlignLeft | Qt::AlignTop);
    stack->addStretch(1);
    page->resize(SettingsWindowController::windowWidth, page->sizeHint().height());
    return page;
}

QWidget *SettingsPage::sectionHeader(const QString &title, int width)
{
    QLabel *header = plainLabel(title, nullptr);
    header->setFont(SettingsStyle::font(16, QFont::Bold));
    SettingsStyle::setTextColor(header, SettingsStyle::label());
    header->setFixedSize(width, 26);
    return header;
}

QLabel *SettingsPage::hint(const QString &text)
{
    QLabel *label = plainLabel(text, nullptr);
    label->setWordWrap(true);
    label->setFont(SettingsStyle::font(11.5));
    SettingsStyle::setTextColor(label, SettingsStyle::secondaryLabel());
    return label;
}

QWidget *SettingsPage::customRow(int height, int width, const std::function<void(QWidget *row)> &fill)
{
    auto *row = new QWidget;
    row->setFixedSize(width, height);
    fill(row);
    return row;
}

QWidget *SettingsPage::noteRow(QLabel *note, int width, int top, int minimumHeight)
{
    // As tall as the note needs in the current language: a longer one
    // wraps onto another line instead of being cut.
    const int inner = width - 2 * rowInset;
    const int height = std::max(minimumHeight, note->heightForWidth(inner));
    return customRow(height + 2 * top, width, [note, inner, top, height](QWidget *row) {
        note->setParent(row);
        note->setGeometry(rowInset, top, inner, height);
    });
}

QWidget *SettingsPage::card(const QList<QWidget *> &before, SettingsSection section, const QList<QWidget *> &after,
                            int width)
{
    return new SettingsCard(before + m_settings.rows(section) + after, width);
}

QPushButton *SettingsPage::pushButton(const QString &title, const std::function<void()> &action)
{
    auto *button = new SettingsButton(title);
    connect(button, &QPushButton::clicked, this, [action] { action(); });
    return button;
}

// ---------------------------------------------------------------- General

QWidget *GeneralPage::build(int width)
{
    QLabel *note = hint(L(QStringLiteral("切换语言后界面会立即刷新，无需重启。")));
    return page({sectionHeader(L(QStringLiteral("语言")), width),
                 card({}, SettingsSection::language, {noteRow(note, width, 4, 24)}, width),
                 sectionHeader(L(QStringLiteral("唤起方式")), width), card({}, SettingsSection::activation, {}, width)});
}

// -------------------------------------------------------------- Interface

QWidget *InterfacePage::build(int width)
{
    return page({sectionHeader(L(QStringLiteral("网格与布局")), width), card({}, SettingsSection::grid, {}, width),
                 sectionHeader(L(QStringLiteral("外观")), width), card({}, SettingsSection::appearance, {}, width)});
}

// --------------------------------------------------------------- Advanced

AdvancedPage::AdvancedPage(SettingsContext &context, SettingControls &settings)
    : SettingsPage(context, settings),
      m_accessibilityButton(new SettingsButton(L(kGrantKey), context.holder())),
      m_inputStatusLabel(plainLabel(QString(), context.holder()))
{
    m_accessibilityButton->setObjectName(QStringLiteral("accessibilityButton"));
    m_inputStatusLabel->setObjectName(QStringLiteral("inputStatusLabel"));
    m_inputStatusLabel->setFixedWidth(150);
    connect(m_accessibilityButton, &QPushButton::clicked, this, [this] { requestAccessibility(); });
}

QList<QWidget *> AdvancedPage::controls() const
{
    return {m_accessibilityButton, m_inputStatusLabel};
}

QWidget *AdvancedPage::build(int width)
{
    m_inputStatusLabel->setFont(SettingsStyle::font(11));
    SettingsStyle::setTextColor(m_inputStatusLabel, SettingsStyle::secondaryLabel());
    // Two lines where a language needs them.
    m_inputStatusLabel->setWordWrap(true);

    auto *access = new QWidget;
    auto *line = new QHBoxLayout(access);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(m_accessibilityButton, 0, Qt::AlignVCenter);
    line->addWidget(m_inputStatusLabel, 0, Qt::AlignVCenter);
    m_accessibilityButton->show();
    m_inputStatusLabel->show();

    return page({sectionHeader(L(QStringLiteral("输入与权限")), width),
                 card({}, SettingsSection::input,
                      {new SettingsRow(L(QStringLiteral("X 服务器输入权限")), access)}, width)});
}

void AdvancedPage::refresh()
{
    m_accessibilityButton->setText(L(kGrantKey));
    refreshInputStatus();
}

void AdvancedPage::refreshInputStatus()
{
    const std::optional<QString> status = m_context.host().inputStatus();
    QString text = status ? *status : L(kNotRunningKey);
    // The host's text also ends a sentence; standing alone it starts as one.
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    m_inputStatusLabel->setText(text);
    m_inputStatusLabel->setToolTip(text);
}

void AdvancedPage::requestAccessibility()
{
    // There is no permission to grant on X11: the button asks the X server
    // for the input channels again, and the status says what came of it.
    m_context.host().requestAccessibility();
    refreshInputStatus();
    m_context.setStatus(L(QStringLiteral("已再次向 X 服务器申请输入通道：%@。"),
                          m_context.host().inputStatus().value_or(L(kNotRunningKey))));
}

// ------------------------------------------------------------------ About

QWidget *AboutPage::build(int width)
{
    const QString version =
        m_context.environment().version.isEmpty() ? QStringLiteral("1.0") : m_context.environment().version;
    QWidget *about = customRow(132, width, [version, width](QWidget *row) {
        auto *icon = new QLabel(row);
        icon->setObjectName(QStringLiteral("aboutIcon"));
        icon->setPixmap(applicationMark(76));
        icon->setScaledContents(true);
        icon->setGeometry(rowInset, 28, 76, 76);

        QLabel *name = plainLabel(QStringLiteral("Tessellon"), row);
        name->setFont(SettingsStyle::font(20, QFont::DemiBold));
        SettingsStyle::setTextColor(name, SettingsStyle::label());
        name->setGeometry(110, 28, width - 140, 30);

        QLabel *versionLabel = plainLabel(L(QStringLiteral("版本")) + QLatin1Char(' ') + version, row);
        versionLabel->setObjectName(QStringLiteral("aboutVersion"));
        versionLabel->setFont(SettingsStyle::font(12));
        SettingsStyle::setTextColor(versionLabel, SettingsStyle::secondaryLabel());
        versionLabel->setGeometry(110, 58, width - 140, 20);

        QLabel *tagline = plainLabel(L(QStringLiteral("快速、简洁的原生应用启动器")), row);
        tagline->setFont(SettingsStyle::font(12));
        SettingsStyle::setTextColor(tagline, SettingsStyle::secondaryLabel());
        tagline->setGeometry(110, 80, width - 140, 20);
    });
    return page({sectionHeader(L(QStringLiteral("关于")), width), new SettingsCard({about}, width)});
}
