#include "uninstall/uninstall_alert.h"

#include "localization/l10n.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

UninstallAlert::UninstallAlert(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tessellon"));
    setModal(true);
    auto *outer = new QHBoxLayout(this);
    auto *icon = new QLabel(this);
    icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48));
    outer->addWidget(icon, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    QFont bold = m_message->font();
    bold.setBold(true);
    m_message->setFont(bold);
    m_informative = new QLabel(this);
    m_informative->setWordWrap(true);
    m_informative->setTextFormat(Qt::PlainText);
    m_informative->setMaximumWidth(480);
    column->addWidget(m_message);
    column->addWidget(m_informative);
    column->addStretch(0);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = new QPushButton(L("取消"), this);
    m_first = new QPushButton(this);
    setFirstButtonTitle(L("正在扫描…"));
    m_first->setDefault(true);
    m_first->setEnabled(false);
    m_cancel->setAutoDefault(false);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_first);
    column->addLayout(buttons);
    outer->addLayout(column, 1);

    connect(m_first, &QPushButton::clicked, this, [this] { done(firstButtonReturn); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { done(secondButtonReturn); });
}

void UninstallAlert::setMessageText(const QString &text)
{
    m_message->setText(text);
}

QString UninstallAlert::messageText() const
{
    return m_message->text();
}

void UninstallAlert::setInformativeText(const QString &text)
{
    m_informative->setText(text);
}

QString UninstallAlert::informativeText() const
{
    return m_informative->text();
}

void UninstallAlert::setAccessoryView(QWidget *view)
{
    delete m_accessory;
    m_accessory = view;
    auto *column = static_cast<QVBoxLayout *>(static_cast<QHBoxLayout *>(layout())->itemAt(1)->layout());
    // Above the stretch and the button row.
    column->insertWidget(2, view);
}

void UninstallAlert::setFirstButtonTitle(const QString &title)
{
    m_first->setText(QString(title).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

QString UninstallAlert::firstButtonTitle() const
{
    return QString(m_first->text()).replace(QStringLiteral("&&"), QStringLiteral("&"));
}
