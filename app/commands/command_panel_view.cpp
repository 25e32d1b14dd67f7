// CommandPanelView: search field, filtered list and the keys of the command panel.
#include "app/commands/command_panel_view.h"

#include "app/commands/panel_row_delegate.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace morvanta {

namespace {

QStringList queryPieces(const std::string& query) {
    return QString::fromStdString(query).toLower().split(u' ', Qt::SkipEmptyParts);
}

bool matches(const PanelItem& item, const QStringList& pieces) {
    const QString text = QString::fromStdString(item.title + " " + item.detail).toLower();
    for (const auto& piece : pieces)
        if (!text.contains(piece))
            return false;
    return true;
}

bool isDigitText(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

CommandPanelView::CommandPanelView(std::string placeholder, std::vector<PanelItem> items,
                                   RunHandler onRun, std::function<void()> onCancel,
                                   QWidget* parent)
    : QWidget(parent), placeholder_(std::move(placeholder)), items_(std::move(items)),
      onRun_(std::move(onRun)), onCancel_(std::move(onCancel)) {
    makeSearchField();
    makeList();
    makeNoMatchLabel();

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setStyleSheet(QStringLiteral("color: rgba(128, 128, 128, 70);"));

    stack_ = new QStackedWidget(this);
    stack_->addWidget(list_);
    stack_->addWidget(noMatch_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(search_);
    layout->addWidget(divider);
    layout->addWidget(stack_, 1);

    setFocusProxy(search_);
    rebuildList();
}

CommandPanelView::~CommandPanelView() = default;

void CommandPanelView::makeSearchField() {
    search_ = new QLineEdit(this);
    search_->setPlaceholderText(QString::fromStdString(placeholder_));
    search_->setFrame(false);
    search_->setClearButtonEnabled(false);
    QFont searchFont = search_->font();
    searchFont.setPointSizeF(searchFont.pointSizeF() + 5);
    search_->setFont(searchFont);
    search_->setMinimumHeight(44);
    search_->setTextMargins(8, 0, 8, 0);
    // The field blends into the panel; the divider below sets it off from the list.
    QPalette fieldPalette = search_->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    search_->setPalette(fieldPalette);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::textEdited, this,
            [this](const QString& text) { queryEdited(text); });
}

void CommandPanelView::makeList() {
    list_ = new QListWidget(this);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    std::size_t iconColumns = 0;
    for (const auto& item : items_)
        iconColumns = std::max(iconColumns, item.icons.size());
    list_->setItemDelegate(new PanelRowDelegate([this](int row) { return filteredAt(row); },
                                                static_cast<int>(iconColumns), list_));
    list_->viewport()->setAutoFillBackground(false);
    list_->setAutoFillBackground(false);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        selection_ = list_->row(item);
        submit();
    });
}

void CommandPanelView::makeNoMatchLabel() {
    noMatch_ = new QLabel(this);
    noMatch_->setAlignment(Qt::AlignCenter);
    noMatch_->setWordWrap(true);
    QPalette muted = noMatch_->palette();
    QColor mutedText = muted.color(QPalette::WindowText);
    mutedText.setAlphaF(0.6f);
    muted.setColor(QPalette::WindowText, mutedText);
    noMatch_->setPalette(muted);
}

std::vector<PanelItem> CommandPanelView::filteredItems(const std::vector<PanelItem>& items,
                                                       const std::string& query) {
    const auto pieces = queryPieces(query);
    std::vector<PanelItem> kept;
    for (const auto& item : items)
        if (matches(item, pieces))
            kept.push_back(item);
    return kept;
}

std::string CommandPanelView::noMatchText(const std::string& query) {
    return "No actions match “" + query + "”.";
}

std::vector<PanelItem> CommandPanelView::filteredItems() const {
    std::vector<PanelItem> kept;
    for (auto index : filtered_)
        kept.push_back(items_[index]);
    return kept;
}

void CommandPanelView::setQuery(const std::string& query) {
    search_->setText(QString::fromStdString(query));
    queryEdited(search_->text());
}

bool CommandPanelView::searchFocused() const {
    return search_->hasFocus();
}

void CommandPanelView::queryEdited(const QString& text) {
    query_ = text.toStdString();
    selection_ = 0;
    rebuildList();
}

void CommandPanelView::rebuildList() {
    const auto pieces = queryPieces(query_);
    filtered_.clear();
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (matches(items_[i], pieces))
            filtered_.push_back(i);
    list_->clear();
    for (std::size_t i = 0; i < filtered_.size(); ++i) {
        auto* row = new QListWidgetItem(list_);
        const auto& item = items_[filtered_[i]];
        // Kept for accessibility and tests; the delegate paints the row.
        row->setData(Qt::AccessibleTextRole,
                     QString::fromStdString(item.title + " " + item.detail));
        row->setData(Qt::UserRole, QString::fromStdString(item.id));
    }
    noMatch_->setText(QString::fromStdString(noMatchText(query_)));
    stack_->setCurrentWidget(filtered_.empty() ? static_cast<QWidget*>(noMatch_) : list_);
    showSelection();
}

void CommandPanelView::showSelection() {
    if (filtered_.empty())
        return;
    list_->setCurrentRow(selection_);
    list_->scrollToItem(list_->item(selection_));
}

const PanelItem* CommandPanelView::filteredAt(int row) const {
    if (row < 0 || row >= static_cast<int>(filtered_.size()))
        return nullptr;
    return &items_[filtered_[static_cast<std::size_t>(row)]];
}

void CommandPanelView::moveSelection(int delta) {
    const int count = static_cast<int>(filtered_.size());
    if (count == 0)
        return;
    selection_ = ((selection_ + delta) % count + count) % count;
    showSelection();
}

void CommandPanelView::submit() {
    if (const PanelItem* item = filteredAt(selection_); item && onRun_)
        onRun_(*item);
}

void CommandPanelView::cancel() {
    if (onCancel_)
        onCancel_();
}

bool CommandPanelView::runDigit(const QString& text) {
    if (!query_.empty() || !isDigitText(text))
        return false;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return false;
    for (const auto& item : items_)
        if (item.digit == value) {
            if (onRun_)
                onRun_(item);
            return true;
        }
    return false;
}

bool CommandPanelView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != search_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Down:
        moveSelection(+1);
        return true;
    case Qt::Key_Up:
        moveSelection(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        submit();
        return true;
    case Qt::Key_Escape:
        cancel();
        return true;
    default:
        // Digits reach the query unless they ran a row.
        return runDigit(key->text());
    }
}

} // namespace morvanta
