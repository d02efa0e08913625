#include "modal/alert_box.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

AlertBox::AlertBox(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tessellon"));
    setModal(true);

    auto *outer = new QHBoxLayout(this);
    m_icon = new QLabel(this);
    m_icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    outer->addWidget(m_icon, 0, Qt::AlignTop);

    m_textColumn = new QVBoxLayout;
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    QFont bold = m_message->font();
    bold.setBold(true);
    m_message->setFont(bold);
    m_informative = new QLabel(this);
    m_informative->setWordWrap(true);
    m_informative->setTextFormat(Qt::PlainText);
    m_informative->hide();
    m_textColumn->addWidget(m_message);
    m_textColumn->addWidget(m_informative);

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->addStretch(1);
    m_textColumn->addLayout(m_buttonRow);
    outer->addLayout(m_textColumn, 1);

    updateIcon();
}

AlertBox::~AlertBox() = default;

void AlertBox::setMessageText(const QString &text)
{
    m_message->setText(text);
}

QString AlertBox::messageText() const
{
    return m_message->text();
}

void AlertBox::setInformativeText(const QString &text)
{
    m_informative->setText(text);
    m_informative->setVisible(!text.isEmpty());
}

QString AlertBox::informativeText() const
{
    return m_informative->text();
}

void AlertBox::setAlertStyle(Style style)
{
    m_style = style;
    updateIcon();
}

namespace {

// A title as QPushButton shows it literally.
QString buttonText(const QString &title)
{
    return QString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

QPushButton *AlertBox::addButton(const QString &title)
{
    auto *button = new QPushButton(buttonText(title), this);
    const int response = firstButtonReturn + int(m_buttons.size());
    connect(button, &QPushButton::clicked, this, [this, response] { done(response); });
    if (m_buttons.isEmpty()) {
        button->setDefault(true);
        button->setAutoDefault(true);
    } else {
        button->setAutoDefault(false);
    }
    m_buttons.append(button);
    // Right to left, as the desktop's alerts read: the first button rightmost.
    m_buttonRow->insertWidget(1, button);
    return button;
}

void AlertBox::setFirstButtonTitle(const QString &title)
{
    if (QPushButton *button = firstButton())
        button->setText(buttonText(title));
}

QString AlertBox::firstButtonTitle() const
{
    const QPushButton *button = firstButton();
    return button ? QString(button->text()).replace(QStringLiteral("&&"), QStringLiteral("&")) : QString();
}

void AlertBox::setAccessoryView(QWidget *view)
{
    if (m_accessory == view)
        return;
    delete m_accessory;
    m_accessory = view;
    if (view != nullptr) {
        view->setParent(this);
        // Before the button row, after the texts.
        m_textColumn->insertWidget(m_textColumn->count() - 1, view);
    }
}

void AlertBox::pressButton(int response)
{
    const qsizetype index = response - firstButtonReturn;
    if (index >= 0 && index < m_buttons.size())
        m_buttons[index]->click();
}

void AlertBox::reject()
{
    if (m_buttons.isEmpty()) {
        QDialog::reject();
        return;
    }
    pressButton(m_buttons.size() >= 2 ? secondButtonReturn : firstButtonReturn);
}

void AlertBox::updateIcon()
{
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxWarning;
    switch (m_style) {
    case Style::warning:
        pixmap = QStyle::SP_MessageBoxWarning;
        break;
    case Style::informational:
        pixmap = QStyle::SP_MessageBoxInformation;
        break;
    case Style::critical:
        pixmap = QStyle::SP_MessageBoxCritical;
        break;
    }
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_icon->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(side, side));
}
