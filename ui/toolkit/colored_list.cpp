#include "ui/toolkit/colored_list.h"

#include <QHeaderView>
#include <QPainter>

#include "ui/toolkit/frame_background.h"

namespace toolkit {

QColor RowBackground(int row, bool selected) {
    if (selected) {
        return ListColors::Selected();
    }
    return row % 2 == 1 ? ListColors::OddRow() : ListColors::EvenRow();
}

CListCtrlColored::CListCtrlColored(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(false);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    QPalette colors = palette();
    colors.setColor(QPalette::Base, ListColors::EvenRow());
    colors.setColor(QPalette::Text, ListColors::Text());
    // The highlight is painted by drawRow; the style must not paint over it.
    colors.setColor(QPalette::Highlight, ListColors::Selected());
    colors.setColor(QPalette::HighlightedText, ListColors::Text());
    colors.setColor(QPalette::Inactive, QPalette::Highlight, ListColors::Selected());
    colors.setColor(QPalette::Inactive, QPalette::HighlightedText, ListColors::Text());
    setPalette(colors);
    PaintBackgroundBehindFrame(this);
}

int CListCtrlColored::GetSelectedRow() const {
    if (selectionModel() == nullptr) {
        return -1;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void CListCtrlColored::SelectRow(int row) {
    if (selectionModel() == nullptr || model() == nullptr) {
        return;
    }
    if (row < 0 || row >= model()->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CListCtrlColored::EnsureRowVisible(int row) {
    if (model() != nullptr && row >= 0 && row < model()->rowCount()) {
        scrollTo(model()->index(row, 0), QAbstractItemView::EnsureVisible);
    }
}

void CListCtrlColored::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const bool selected =
        selectionModel() != nullptr && selectionModel()->isRowSelected(index.row(), index.parent());
    painter->fillRect(option.rect, RowBackground(index.row(), selected));
    QStyleOptionViewItem plain = option;
    // The row is filled already; the cells draw text only, always black.
    plain.state &= ~QStyle::State_Selected;
    plain.state &= ~QStyle::State_HasFocus;
    plain.palette.setColor(QPalette::Text, ListColors::Text());
    plain.palette.setColor(QPalette::Base, Qt::transparent);
    plain.palette.setColor(QPalette::AlternateBase, Qt::transparent);
    QTreeView::drawRow(painter, plain, index);
}

}  // namespace toolkit
