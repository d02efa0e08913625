#include "launcher/rename_prompt.h"

#include "localization/l10n.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

RenamePrompt::RenamePrompt(const QString &title, const QString &current, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);

    auto *message = new QLabel(title, this);
    QFont bold = message->font();
    bold.setPixelSize(13);
    bold.setBold(true);
    message->setFont(bold);
    layout->addWidget(message);

    auto *informative = new QLabel(L(QStringLiteral("留空可恢复默认名称。")), this);
    QFont small = informative->font();
    small.setPixelSize(11);
    informative->setFont(small);
    informative->setWordWrap(true);
    layout->addWidget(informative);

    m_field = new QLineEdit(current, this);
    m_field->setFixedSize(240, 24);
    m_field->selectAll();
    layout->addWidget(m_field);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_cancel = new QPushButton(L(QStringLiteral("取消")), this);
    m_save = new QPushButton(L(QStringLiteral("保存")), this);
    m_save->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_save);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString RenamePrompt::text() const
{
    return m_field->text();
}

void RenamePrompt::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The launcher has just stepped aside: the prompt takes the keyboard.
    activateWindow();
    m_field->setFocus(Qt::ActiveWindowFocusReason);
}
