// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ElementList.h"

#include "core/DisplayText.h"
#include "core/Texts.h"
#include "ui/UiStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int roleColumnWidth = 90;
constexpr int rowSpacing = 2;

// A row: the kind, dimmed, in a fixed column; then the title on one line.
class ElementRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        painter->save();
        if (option.state & QStyle::State_MouseOver || option.state & QStyle::State_HasFocus) {
            QColor hover = option.palette.color(QPalette::Highlight);
            hover.setAlphaF(0.15);
            painter->fillRect(option.rect, hover);
        }
        const QFont caption = UiStyle::font(UiStyle::TextStyle::caption, option.font);
        QRect roleRect = option.rect;
        roleRect.setWidth(roleColumnWidth);
        painter->setFont(caption);
        painter->setPen(UiStyle::secondary(option.palette));
        painter->drawText(
            roleRect.adjusted(2, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(caption).elidedText(index.data(ElementListModel::roleRole).toString(),
                                             Qt::ElideRight, roleColumnWidth - 6));
        QRect titleRect = option.rect.adjusted(roleColumnWidth, 0, 0, 0);
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                        Qt::ElideRight, titleRect.width()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {roleColumnWidth + 100, option.fontMetrics.height() + 4};
    }
};

} // namespace

void ElementListModel::setElements(const QList<GuideElement>& elements)
{
    beginResetModel();
    m_elements = elements;
    endResetModel();
}

int ElementListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_elements.size());
}

QVariant ElementListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_elements.size())
        return {};
    const GuideElement& e = m_elements[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return DisplayText::bounded(e.title, DisplayText::maxNameGraphemes);
    case Qt::AccessibleTextRole:
        return DisplayText::bounded(Texts::controlKind(e.role) + u' ' + e.title,
                                    DisplayText::maxNameGraphemes);
    case roleRole:
        return Texts::controlKind(e.role);
    default:
        return {};
    }
}

ElementList::ElementList(QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    m_header = new QToolButton;
    m_header->setCheckable(true);
    m_header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_header->setArrowType(Qt::RightArrow);
    m_header->setAutoRaise(true);
    column->addWidget(m_header);

    m_rows = new QListView;
    m_rows->setModel(&m_model);
    m_rows->setItemDelegate(new ElementRowDelegate(m_rows));
    m_rows->setUniformItemSizes(true); // rows are laid out only as they come into view
    m_rows->setSpacing(rowSpacing / 2);
    m_rows->setMouseTracking(true);
    m_rows->setFrameShape(QFrame::NoFrame);
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setAccessibleName(Texts::detectedElementsName());
    m_rows->setMinimumHeight(160);
    m_rows->hide();
    column->addWidget(m_rows);

    connect(m_header, &QToolButton::toggled, this, &ElementList::setExpanded);
    // A row is picked by a click (not by "activated", which some styles send on the same
    // click, and a double-click sends on its second press) or by Return on the current row.
    connect(m_rows, &QListView::clicked, this, &ElementList::clickedRow);
    m_rows->installEventFilter(this);
}

void ElementList::clickedRow(const QModelIndex& index)
{
    // The second click of a double-click on the same row is part of the same pick.
    const bool secondOfDouble = index.row() == m_lastPickedRow && m_sinceLastPick.isValid() &&
                                m_sinceLastPick.elapsed() < QApplication::doubleClickInterval();
    if (!secondOfDouble)
        pickRow(index);
}

void ElementList::pickRow(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    m_lastPickedRow = index.row();
    m_sinceLastPick.start();
    emit picked(m_model.element(index.row()));
}

bool ElementList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_rows && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pickRow(m_rows->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ElementList::setElements(const QList<GuideElement>& elements)
{
    m_model.setElements(elements);
    m_header->setText(Texts::detectedElements(elements.size()));
    m_header->setAccessibleName(m_header->text());
}

bool ElementList::isExpanded() const
{
    return m_header->isChecked();
}

void ElementList::setExpanded(bool expanded)
{
    m_header->setChecked(expanded);
    m_header->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    m_rows->setVisible(expanded);
}
