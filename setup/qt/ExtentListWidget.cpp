#include "setup/qt/ExtentListWidget.h"

#include <algorithm>

#include "setup/qt/QtOwnership.h"

namespace setup::qt {

QSize ExtentDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(extent_, QStyledItemDelegate::sizeHint(option, index).height());
}

ExtentListWidget::ExtentListWidget(QWidget* parent)
    : QListWidget(parent), delegate_(MakeOwned<ExtentDelegate>(this)) {
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Every entry has the same size: measuring one is enough.
    setUniformItemSizes(true);
}

void ExtentListWidget::SetHorizontalExtent(int extent) {
    extent_ = std::max(0, extent);
    delegate_->SetExtent(extent_);
    doItemsLayout();
}

}  // namespace setup::qt
