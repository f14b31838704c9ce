#include "listwindow/listform.h"

#include "listwindow/articlelistmodel.h"
#include "listwindow/listowner.h"
#include "store/text/textcodec.h"
#include "ui/application.h"
#include "ui/formlayout.h"
#include "ui/japanesefonts.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>

namespace {
constexpr int ClientWidth = 4575;
constexpr int ClientHeight = 3270;
constexpr int DayColumnWidth = 53;
constexpr int TitleColumnWidth = 212;
}

// A dialog-type window, though modeless: only such a window is marked as belonging to its owner
// on X11, so that it stays in front of the main window and is hidden while that is minimised.
ListForm::ListForm(ListOwner *owner, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_owner(owner)
{
    // Each opening starts afresh: rows and sort state go with the window.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ListForm"));
    setWindowTitle(QStringLiteral("一覧"));
    setWindowIcon(WindowIcon(QStringLiteral("list")));
    CreateControls();
    ConnectControls();
    m_owner->Guard([this] { FillList(); });
}

void ListForm::CreateControls()
{
    setFixedSize(FormLayout::ClientSize(ClientWidth, ClientHeight));
    // A window of its own does not take the owner's font.
    setFont(JapaneseFonts::UiFont());

    BtnEnd = FormLayout::PlainButton(QStringLiteral("閉じる"), this);
    BtnRefresh = FormLayout::PlainButton(QStringLiteral("リフレッシュ"), this);
    ListArticle = new QTreeView(this);
    ListArticle->setAccessibleName(QStringLiteral("記事の一覧"));
    m_rows = new ArticleListModel(ListArticle);
    ListArticle->setModel(m_rows);
    ListArticle->setRootIsDecorated(false);
    ListArticle->setItemsExpandable(false);
    ListArticle->setUniformRowHeights(true);
    ListArticle->setAllColumnsShowFocus(true);
    ListArticle->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListArticle->setSelectionMode(QAbstractItemView::SingleSelection);
    ListArticle->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView *header = ListArticle->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->resizeSection(ArticleListModel::DayColumn, DayColumnWidth);
    header->resizeSection(ArticleListModel::TitleColumn, TitleColumnWidth);

    FormLayout::Place({
        { BtnEnd, "BtnEnd", 3480, 2880, 975, 300 },
        { BtnRefresh, "BtnRefresh", 1680, 2880, 1335, 300 },
        { ListArticle, "ListArticle", 0, 120, 4575, 2535 },
    });
    BtnEnd->setFocus(Qt::OtherFocusReason);
    for (QWidget *control : std::initializer_list<QWidget *> { BtnEnd, BtnRefresh, ListArticle })
        control->installEventFilter(this);
}

void ListForm::ConnectControls()
{
    connect(BtnEnd, &QPushButton::clicked, this, &QWidget::close);
    connect(BtnRefresh, &QPushButton::clicked, this, [this] { m_owner->Guard([this] { BtnRefreshClick(); }); });
    connect(ListArticle->header(), &QHeaderView::sectionClicked, this,
        [this](int column) { m_owner->Guard([this, column] { ListArticleColumnClick(column); }); });
    // A mouse click only: moving through the rows with the keyboard would switch months, and
    // write month files, at every step.
    connect(ListArticle, &QTreeView::clicked, this,
        [this](const QModelIndex &index) { m_owner->Guard([this, index] { ListArticleItemClick(index); }); });
    // Return chooses the current row as a click does, so the keyboard reaches a day without the
    // arrow keys switching months on the way.
    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Enter }) {
        auto *choose = new QShortcut(QKeySequence(key), ListArticle);
        choose->setContext(Qt::WidgetShortcut);
        connect(choose, &QShortcut::activated, this,
            [this] { m_owner->Guard([this] { ListArticleItemClick(ListArticle->currentIndex()); }); });
    }
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
        [this] { m_owner->Guard([this] { m_owner->OpenSearch(); }); });
    // The header takes no focus; these keys sort as a click on the day or the title column does.
    for (const int column : { int(ArticleListModel::DayColumn), int(ArticleListModel::TitleColumn) }) {
        connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + column)), this), &QShortcut::activated, this,
            [this, column] { m_owner->Guard([this, column] { ListArticleColumnClick(column); }); });
    }
}

bool ListForm::eventFilter(QObject *watched, QEvent *event)
{
    // The window opens, and comes back, for the keyboard as much as for the mouse, so the control
    // that takes the focus with the activation shows its focus frame at once. Qt clears the mark
    // when the window is shown and, in newer versions, when the activation moves the focus in,
    // just before the control hears of it.
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason)
        setAttribute(Qt::WA_KeyboardFocusChange);
    return QWidget::eventFilter(watched, event);
}

void ListForm::FillList()
{
    const int year = m_owner->LoadedYear().toInt();
    const int month = m_owner->LoadedMonth().toInt();
    std::vector<ArticleRow> rows;
    for (MonthRow &row : m_owner->LoadedRows())
        rows.push_back({ std::move(row.dayText), TextCodec::MakeTitle(row.text), row.day, year, month });
    m_rows->Append(std::move(rows));
}

void ListForm::BtnRefreshClick()
{
    m_rows->Clear();
    FillList();
}

void ListForm::ListArticleColumnClick(int column)
{
    m_rows->SortBy(column);
}

void ListForm::ListArticleItemClick(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    // The row remembers the month it came from: once the main window has moved on, the same
    // day number in the calendar's month would be another day altogether.
    const QDate date = m_rows->Row(index.row()).Date();
    if (!date.isValid())
        return;
    m_owner->ShowDate(date);
    // A message about a failed month switch takes the activation; the user goes on in the list.
    if (!isActiveWindow())
        activateWindow();
}
