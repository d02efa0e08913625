#include "uninstall/uninstall_accessory.h"

#include "localization/l10n.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextOption>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel *centeredLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(12);
    label->setFont(font);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

UninstallAccessory::UninstallAccessory(QCheckBox *checkbox, QString homeDirectory, QWidget *parent)
    : QWidget(parent), m_checkbox(checkbox), m_home(std::move(homeDirectory))
{
    auto *root = new QVBoxLayout(this);
    root->setSpacing(8);
    root->setContentsMargins(2, 4, 2, 2);
    checkbox->setParent(this);
    root->addWidget(checkbox);

    m_slot = new QWidget(this);
    m_slot->setFixedSize(slotWidth, slotHeight);
    new QVBoxLayout(m_slot);
    m_slot->layout()->setContentsMargins(0, 0, 0, 0);
    root->addWidget(m_slot);

    auto *spinner = new QProgressBar;
    spinner->setRange(0, 0); // indeterminate
    spinner->setTextVisible(false);
    spinner->setFixedWidth(32);
    m_panelLabel = centeredLabel(L("正在扫描残留配置、缓存与容器…"), nullptr);
    m_slot->layout()->addWidget(makePanel({spinner, m_panelLabel}));

    m_note = new QLabel(L("只清理 ~/Library 下能明确归属到本次卸载应用的文件，所有内容均移入废纸篓。"), this);
    QFont noteFont = m_note->font();
    noteFont.setPixelSize(11);
    m_note->setFont(noteFont);
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setMaximumWidth(slotWidth - 4);
    m_note->setForegroundRole(QPalette::PlaceholderText);
    root->addWidget(m_note);
    adjustSize();
}

QString UninstallAccessory::panelText() const
{
    return m_panelLabel ? m_panelLabel->text() : QString();
}

QWidget *UninstallAccessory::makePanel(const QList<QWidget *> &content)
{
    auto *panel = new QFrame(m_slot);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    panel->setBackgroundRole(QPalette::Base);
    auto *outer = new QHBoxLayout(panel);
    outer->setContentsMargins(10, 0, 10, 0);
    outer->addStretch(1);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    for (QWidget *view : content)
        row->addWidget(view, 0, Qt::AlignVCenter);
    outer->addLayout(row);
    outer->addStretch(1);
    return panel;
}

void UninstallAccessory::clearSlot()
{
    QLayoutItem *item = nullptr;
    while ((item = m_slot->layout()->takeAt(0)) != nullptr) {
        delete item->widget();
        delete item;
    }
    m_panelLabel = nullptr;
    m_list = nullptr;
}

void UninstallAccessory::updateResidueSlot(const QList<UninstallResidue> &residues, bool timedOut)
{
    clearSlot();
    if (residues.isEmpty()) {
        m_panelLabel = centeredLabel(timedOut ? L("残留扫描超时，本次只卸载应用本体。")
                                              : L("未发现可安全清理的残留文件，本次只卸载应用本体。"),
                                     nullptr);
        m_slot->layout()->addWidget(makePanel({m_panelLabel}));
        return;
    }
    m_list = new QTextEdit(m_slot);
    m_list->setReadOnly(true);
    m_list->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setWordWrapMode(QTextOption::WrapAnywhere);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(11);
    m_list->setFont(mono);
    m_list->document()->setDocumentMargin(6);
    const int column = pathColumnFor(QFontMetrics(mono));
    QTextBlockFormat block;
    // Wrapped lines continue under the path column.
    block.setIndent(0);
    block.setLeftMargin(column);
    block.setTextIndent(-column);
    block.setTabPositions({QTextOption::Tab(column, QTextOption::LeftTab)});
    QTextCursor cursor(m_list->document());
    cursor.setBlockFormat(block);
    cursor.insertText(residueListText(residues, m_home));
    // The list opens at its first entry, not where the insertion ended.
    m_list->moveCursor(QTextCursor::Start);
    m_list->verticalScrollBar()->setValue(0);
    m_slot->layout()->addWidget(m_list);
}

int UninstallAccessory::pathColumnFor(const QFontMetrics &metrics)
{
    int widest = 0;
    for (const UninstallResidue::Kind kind : UninstallResidue::allKinds())
        widest = std::max(widest, metrics.horizontalAdvance(UninstallResidue::label(kind)));
    return std::max(minimumPathColumn, widest + columnGap);
}

QString UninstallAccessory::residueListText(const QList<UninstallResidue> &residues, const QString &homeDirectory)
{
    QStringList entries;
    for (const UninstallResidue &residue : residues)
        entries << UninstallResidue::label(residue.kind) + QLatin1Char('\t') + residue.displayPath(homeDirectory);
    return entries.join(QStringLiteral("\n\n"));
}
