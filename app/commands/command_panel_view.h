// CommandPanelView: the command panel's content. A search field over the list of rows; typing
// filters the rows (every word of the query must occur in a row's title and secondary text,
// ignoring case; the rows keep their order). ↑ and ↓ move the selection round the filtered
// list, Return runs the selected row, Escape cancels, and a digit typed into an empty search
// field runs the row that carries that digit at once (the workspace picker's rows 1 … 9).
// When nothing matches, the list gives way to "No actions match “…”.".
//
// The view only reports choices through onRun and onCancel; hiding the panel and running the
// command are the controller's. The list never takes the keyboard focus, so typing always
// reaches the search field.
#pragma once

#include "app/commands/panel_item.h"

#include <QWidget>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QStackedWidget;

namespace morvanta {

class CommandPanelView : public QWidget {
public:
    using RunHandler = std::function<void(const PanelItem&)>;

    CommandPanelView(std::string placeholder, std::vector<PanelItem> items, RunHandler onRun,
                     std::function<void()> onCancel, QWidget* parent = nullptr);
    ~CommandPanelView() override;
    CommandPanelView(const CommandPanelView&) = delete;
    CommandPanelView& operator=(const CommandPanelView&) = delete;

    // The rows of `items` that `query` keeps, in their order.
    static std::vector<PanelItem> filteredItems(const std::vector<PanelItem>& items,
                                                const std::string& query);
    // "No actions match “" + query + "”."
    static std::string noMatchText(const std::string& query);

    const std::string& placeholder() const { return placeholder_; }
    const std::vector<PanelItem>& items() const { return items_; }
    std::vector<PanelItem> filteredItems() const;
    const std::string& query() const { return query_; }
    // As if typed: the field shows it, the list is filtered and the selection goes to 0.
    void setQuery(const std::string& query);
    int selection() const { return selection_; }
    bool searchFocused() const;

    // ↑ is -1, ↓ is +1; wraps round at both ends; nothing happens on an empty list.
    void moveSelection(int delta);
    // Runs the selected row through onRun, when there is one.
    void submit();
    void cancel();

    QLineEdit* searchField() const { return search_; }
    QListWidget* list() const { return list_; }
    QLabel* noMatchLabel() const { return noMatch_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The parts of the panel, top to bottom; the constructor lays them out.
    void makeSearchField();
    void makeList();
    void makeNoMatchLabel();
    void queryEdited(const QString& text);
    void rebuildList();
    void showSelection();
    // Runs the first row (of all rows) carrying the digit the typed text names; answers
    // whether one ran.
    bool runDigit(const QString& text);
    const PanelItem* filteredAt(int row) const;

    std::string placeholder_;
    std::vector<PanelItem> items_;
    RunHandler onRun_;
    std::function<void()> onCancel_;
    std::string query_;
    int selection_ = 0;
    // Indices into items_ of the rows the query keeps.
    std::vector<std::size_t> filtered_;

    QLineEdit* search_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* noMatch_ = nullptr;
};

} // namespace morvanta
