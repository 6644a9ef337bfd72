#include <QItemSelection>
#include <QItemSelectionModel>
#include <QTimer>
#include <memory>

#include "setup/qt/Bindings.h"
#include "setup/qt/QtFonts.h"

// The list binding. Entries show at once. The selection marks and the
// focused position show on the next pass of the event loop, all of a
// list's changes in one go: selecting every entry of a long list changes
// one mark at a time, and matching the widget after each would cost the
// square of the entry count. Nothing is painted before that pass anyway.
namespace setup::qt {

using forms::Property;

namespace {

struct ListState {
    bool syncing = false;       // the binder is changing the widget
    bool marksPending = false;  // a pass over the marks is scheduled
};

// RAII flag: the widget's signals during a sync are the binder's own.
class Syncing {
  public:
    explicit Syncing(ListState& state) : state_(state) { state_.syncing = true; }
    ~Syncing() { state_.syncing = false; }
    Syncing(const Syncing&) = delete;
    Syncing& operator=(const Syncing&) = delete;

  private:
    ListState& state_;
};

// The selected entries as runs of neighbouring rows: one range for a list
// whose entries are all selected.
void ShowSelection(const forms::ListBox& list, ExtentListWidget* widget, ListState& state) {
    const Syncing syncing(state);
    QItemSelection selection;
    const QAbstractItemModel* model = widget->model();
    const int count = std::min(list.ListCount(), widget->count());
    int runStart = -1;
    for (int row = 0; row <= count; ++row) {
        const bool selected = row < count && list.Selected(row);
        if (selected && runStart < 0) {
            runStart = row;
        } else if (!selected && runStart >= 0) {
            selection.append(
                QItemSelectionRange(model->index(runStart, 0), model->index(row - 1, 0)));
            runStart = -1;
        }
    }
    widget->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ShowListIndex(const forms::ListBox& list, ExtentListWidget* widget, ListState& state) {
    const Syncing syncing(state);
    const int row = list.ListIndex();
    const QModelIndex index = row >= 0 ? widget->model()->index(row, 0) : QModelIndex();
    widget->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void ShowMarks(const forms::ListBox& list, ExtentListWidget* widget, ListState& state) {
    ShowSelection(list, widget, state);
    ShowListIndex(list, widget, state);
}

void ScheduleMarks(const forms::ListBox& list, ExtentListWidget* widget,
                   const std::shared_ptr<ListState>& state) {
    if (state->marksPending) {
        return;
    }
    state->marksPending = true;
    QTimer::singleShot(0, widget, [&list, widget, state] {
        state->marksPending = false;
        ShowMarks(list, widget, *state);
    });
}

// AddItem appends one entry; any other change (Clear) rebuilds the list.
void ShowItems(const forms::ListBox& list, ExtentListWidget* widget, ListState& state) {
    const Syncing syncing(state);
    const int count = list.ListCount();
    if (count == widget->count() + 1) {
        widget->addItem(ToQString(list.List(count - 1)));
        return;
    }
    widget->clear();
    QStringList entries;
    entries.reserve(count);
    for (int row = 0; row < count; ++row) {
        entries.append(ToQString(list.List(row)));
    }
    widget->addItems(entries);
}

void ForwardSelection(forms::ListBox& list, const QItemSelection& changes, bool selected) {
    for (const QModelIndex& index : changes.indexes()) {
        list.UserSelect(index.row(), selected);
    }
}

}  // namespace

void Binder::List(forms::ListBox& list, ExtentListWidget* widget) {
    auto state = std::make_shared<ListState>();
    ShowItems(list, widget, *state);
    ShowMarks(list, widget, *state);
    widget->SetHorizontalExtent(list.HorizontalExtent());
    Common(list, widget, [&list, widget, state](Property property) {
        switch (property) {
            case Property::Items:
                ShowItems(list, widget, *state);
                ScheduleMarks(list, widget, state);
                break;
            case Property::Selection:
            case Property::ListIndex:
                ScheduleMarks(list, widget, state);
                break;
            case Property::HorizontalExtent:
                widget->SetHorizontalExtent(list.HorizontalExtent());
                break;
            default:
                break;
        }
    });
    QItemSelectionModel* selection = widget->selectionModel();
    QObject::connect(
        selection, &QItemSelectionModel::selectionChanged, widget,
        [&list, widget, state](const QItemSelection& selected, const QItemSelection& deselected) {
            if (state->syncing) {
                return;
            }
            ForwardSelection(list, selected, true);
            ForwardSelection(list, deselected, false);
            // A disabled model list refuses: the widget follows it.
            ScheduleMarks(list, widget, state);
        });
    QObject::connect(selection, &QItemSelectionModel::currentChanged, widget,
                     [&list, state](const QModelIndex& current) {
                         if (!state->syncing) {
                             list.UserSetListIndex(current.isValid() ? current.row() : -1);
                         }
                     });
}

}  // namespace setup::qt
