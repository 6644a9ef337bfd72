#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>

namespace setup::qt {

// Gives every entry the width of the list's horizontal extent, so that the
// list's own scroll range is the extent less the visible width.
class ExtentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void SetExtent(int extent) { extent_ = extent; }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int extent_ = 0;
};

// A multi-selection list whose horizontal scroll range is set from outside
// (the horizontal extent in pixels, as LB_SETHORIZONTALEXTENT sets it)
// instead of from its own measurement of the entries. The scroll bar shows
// only when the extent exceeds the visible width; an extent of 0 removes
// it.
class ExtentListWidget : public QListWidget {
  public:
    explicit ExtentListWidget(QWidget* parent = nullptr);

    int HorizontalExtent() const { return extent_; }
    void SetHorizontalExtent(int extent);

  private:
    ExtentDelegate* delegate_;
    int extent_ = 0;
};

}  // namespace setup::qt
