#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace toolkit {

// Row colours of the lists: the selected row on a soft blue with black text, odd rows on a
// light grey, even rows white.
struct ListColors {
    static QColor Selected() { return QColor(208, 218, 237); }
    static QColor OddRow() { return QColor(247, 247, 247); }
    static QColor EvenRow() { return QColor(255, 255, 255); }
    static QColor Text() { return QColor(0, 0, 0); }
};

// The background a row gets.
QColor RowBackground(int row, bool selected);

// A report-style list: one row per item, full-row single selection that stays visible
// when the list loses the focus, headers that do not sort, rows in the colours above.
class CListCtrlColored : public QTreeView {
    Q_OBJECT
public:
    explicit CListCtrlColored(QWidget* parent = nullptr);

    // The row of the selected item, -1 when none.
    int GetSelectedRow() const;
    // Selects and focuses row (anything else loses the selection); -1 clears.
    void SelectRow(int row);
    void EnsureRowVisible(int row);

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
};

}  // namespace toolkit
