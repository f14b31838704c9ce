#include "searchwindow/searchform.h"

#include "search/diarysearch.h"
#include "search/monthfileswatcher.h"
#include "search/searchquery.h"
#include "searchwindow/searchowner.h"
#include "searchwindow/searchplacement.h"
#include "searchwindow/searchresultdelegate.h"
#include "searchwindow/searchresultmodel.h"
#include "ui/application.h"
#include "ui/formlayout.h"
#include "ui/japanesefonts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

namespace {
constexpr int ClientWidth = 6600;
constexpr int ClientHeight = 5760;
// Long enough that a word typed in one go is searched once, short enough to feel immediate.
constexpr int TypingPauseMilliseconds = 200;
}

// A dialog-type window, though modeless, as the list window is: it stays in front of the main
// window, where the entries it finds open.
SearchForm::SearchForm(SearchOwner *owner, const QString &folder, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_owner(owner)
    , m_search(new DiarySearch(folder, this))
{
    setObjectName(QStringLiteral("SearchForm"));
    setWindowTitle(QStringLiteral("検索"));
    setWindowIcon(WindowIcon(QStringLiteral("list")));
    CreateControls();
    ConnectControls();
    // Other programs add, rename, replace and rewrite month files while the window is open.
    connect(new MonthFilesWatcher(folder, this), &MonthFilesWatcher::Settled, this, &SearchForm::SearchAgain);
    ShowBatch({ true, true, {}, 0, 0, 0, {} });
}

void SearchForm::CreateControls()
{
    setFixedSize(FormLayout::ClientSize(ClientWidth, ClientHeight));
    setFont(JapaneseFonts::UiFont());

    lblSearch = new QLabel(QStringLiteral("探す語(&F)："), this);
    TxtSearch = new QLineEdit(this);
    TxtSearch->setAccessibleName(QStringLiteral("探す語"));
    lblSearch->setBuddy(TxtSearch);
    // Made after the field, so that Tab reaches it next.
    CmbOrder = new QComboBox(this);
    CmbOrder->addItems({ QStringLiteral("新しい順"), QStringLiteral("古い順") });
    CmbOrder->setAccessibleName(QStringLiteral("並べる順"));
    ListResult = new QListView(this);
    ListResult->setAccessibleName(QStringLiteral("見つかった記事"));
    m_results = new SearchResultModel(ListResult);
    ListResult->setModel(m_results);
    ListResult->setItemDelegate(new SearchResultDelegate(ListResult));
    // Rows are two lines each; equal heights keep thousands of found entries quick.
    ListResult->setUniformItemSizes(true);
    ListResult->setSelectionMode(QAbstractItemView::SingleSelection);
    ListResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListResult->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lblYear = new QLabel(QStringLiteral("年へ(&Y)："), this);
    CmbYear = new QComboBox(this);
    CmbYear->setAccessibleName(QStringLiteral("年ごとの件数"));
    lblYear->setBuddy(CmbYear);
    LblCount = new QLabel(this);
    LblCount->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    BtnEnd = FormLayout::PlainButton(QStringLiteral("閉じる"), this);

    FormLayout::Place({
        { lblSearch, "lblSearch", 120, 165, 1080, 255 },
        { TxtSearch, "TxtSearch", 1200, 120, 3720, 345 },
        { CmbOrder, "CmbOrder", 5040, 120, 1440, 345 },
        { ListResult, "ListResult", 120, 585, 6360, 3945 },
        { lblYear, "lblYear", 120, 4665, 1080, 255 },
        { CmbYear, "CmbYear", 1200, 4620, 2400, 345 },
        { LblCount, "LblCount", 120, 4995, 5160, 630 },
        { BtnEnd, "BtnEnd", 5505, 5340, 975, 300 },
    });
    TxtSearch->setFocus(Qt::OtherFocusReason);
    TxtSearch->installEventFilter(this);
    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(TypingPauseMilliseconds);
}

void SearchForm::ConnectControls()
{
    connect(BtnEnd, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, &SearchForm::Reopen);
    // The field's text leaves out a conversion still open in the input method: only committed
    // words are searched.
    connect(TxtSearch, &QLineEdit::textChanged, m_pause, qOverload<>(&QTimer::start));
    connect(m_pause, &QTimer::timeout, this, [this] { m_owner->Guard([this] { StartSearch(); }); });
    // The entry that was current stays current in the new order.
    connect(CmbOrder, &QComboBox::currentIndexChanged, this, [this] {
        if (!TxtSearch->text().isEmpty())
            m_owner->Guard([this] { StartSearch(); });
    });
    connect(m_search, &DiarySearch::Delivered, this,
        [this](const SearchBatch &batch) { m_owner->Guard([this, &batch] { ShowBatch(batch); }); });
    connect(
        CmbYear, &QComboBox::activated, this, [this](int item) { m_owner->Guard([this, item] { JumpToYear(item); }); });
    connect(ListResult, &QListView::clicked, this, [this] { m_owner->Guard([this] { OpenCurrent(); }); });
    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Enter }) {
        auto *open = new QShortcut(QKeySequence(key), ListResult);
        open->setContext(Qt::WidgetShortcut);
        connect(open, &QShortcut::activated, this, [this] { m_owner->Guard([this] { OpenCurrent(); }); });
    }
}

void SearchForm::Reopen()
{
    if (!isVisible())
        PlaceBesideOwner();
    show();
    raise();
    activateWindow();
    TxtSearch->setFocus(Qt::ShortcutFocusReason);
    TxtSearch->selectAll();
}

void SearchForm::SearchAgain()
{
    // Words still being typed are searched at the pause; only the months changed are read again.
    if (isVisible() && !m_pause->isActive() && !TxtSearch->text().isEmpty())
        m_owner->Guard([this] { StartSearch(); });
}

void SearchForm::PlaceBesideOwner()
{
    const QWidget *owner = parentWidget();
    // Not yet shown, the window's frame is not known: its decorations are taken to be the owner's.
    const QSize decorations = owner->frameGeometry().size() - owner->geometry().size();
    move(SearchPlacement::Beside(
        owner->frameGeometry(), m_owner->EditorArea(), size() + decorations, owner->screen()->availableGeometry()));
}

bool SearchForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != TxtSearch || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    // The field keeps the focus while the arrow keys move through the results and Return opens one.
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(ListResult, event);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_owner->Guard([this] { OpenCurrent(); });
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void SearchForm::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // What the main window's editor holds, or another program wrote, may have changed meanwhile.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !TxtSearch->text().isEmpty())
        m_owner->Guard([this] { StartSearch(); });
}

void SearchForm::StartSearch()
{
    m_pause->stop();
    const QModelIndex current = ListResult->currentIndex();
    m_keptDate = current.isValid() ? m_results->Date(current.row()) : QDate();
    m_keptPosition = current.isValid() ? m_results->Position(current.row()) : -1;
    m_results->ExpectQuery(SearchQuery(TxtSearch->text()));
    m_search->Start(TxtSearch->text(), m_owner->SearchedMonth(),
        CmbOrder->currentIndex() == 1 ? SearchOrder::OldestFirst : SearchOrder::NewestFirst);
}

void SearchForm::ShowBatch(const SearchBatch &batch)
{
    m_results->Take(batch);
    if (m_openFirstFound && m_results->rowCount() > 0) {
        m_openFirstFound = false;
        m_keptPosition = -1;
        ListResult->setCurrentIndex(m_results->index(0));
        OpenCurrent();
    }
    m_openFirstFound = m_openFirstFound && !batch.finished;
    if (m_keptPosition >= 0) {
        const int row = m_results->RowOf(m_keptDate, m_keptPosition);
        if (row >= 0) {
            ListResult->setCurrentIndex(m_results->index(row));
            ListResult->scrollTo(m_results->index(row));
            m_keptPosition = -1;
        }
    }
    ShowCount(batch);
    ShowYears();
}

void SearchForm::ShowYears()
{
    QStringList items;
    for (const SearchResultModel::YearRows &year : m_results->Years())
        items.append(QStringLiteral("%1年　%2 件").arg(year.year).arg(year.count));
    CmbYear->setEnabled(!items.isEmpty());
    QStringList shown;
    for (int item = 0; item < CmbYear->count(); ++item)
        shown.append(CmbYear->itemText(item));
    // Rebuilt only when a count changed, so that a list the user has opened stays as it is.
    if (items == shown)
        return;
    // The year shown stays shown while it has results.
    const QString keptYear = CmbYear->currentText().section(u'　', 0, 0);
    const QSignalBlocker quiet(CmbYear);
    CmbYear->clear();
    CmbYear->addItems(items);
    const int kept = keptYear.isEmpty() ? -1 : CmbYear->findText(keptYear, Qt::MatchStartsWith);
    CmbYear->setCurrentIndex(qMax(kept, 0));
}

void SearchForm::JumpToYear(int item)
{
    const std::vector<SearchResultModel::YearRows> &years = m_results->Years();
    if (item < 0 || size_t(item) >= years.size())
        return;
    const QModelIndex first = m_results->index(years[size_t(item)].firstRow);
    ListResult->setCurrentIndex(first);
    ListResult->scrollTo(first, QAbstractItemView::PositionAtTop);
}

void SearchForm::ShowCount(const SearchBatch &batch)
{
    const int found = m_results->rowCount();
    QString text;
    if (TxtSearch->text().trimmed().isEmpty() && batch.finished)
        text = QStringLiteral(
            "語を入れると、すべての月の記事から探します。\nスペースで区切った語は、すべてを含む記事を探します。");
    else if (!batch.finished && batch.monthsToRead > 0)
        text = QStringLiteral("月を読んでいます…（%1 / %2 か月）　%3 件")
                   .arg(batch.monthsSearched)
                   .arg(batch.monthsTotal)
                   .arg(found);
    else if (!batch.finished)
        text = QStringLiteral("探しています…　%1 件").arg(found);
    else if (found > 0)
        text = QStringLiteral("%1 件見つかりました。").arg(found);
    // Excluded words alone find nothing; the user learns why rather than that no entry lacks them.
    else if (const SearchQuery typed(TxtSearch->text()); typed.IsEmpty() && !typed.Excluded().isEmpty())
        text = QStringLiteral("「-」の付いた語は除くだけです。\n探す語か日付も入れてください。");
    else
        text = QStringLiteral("見つかりませんでした。");
    // The second line names the months that were skipped; however many, it stays one line.
    if (!batch.unreadable.isEmpty())
        text += u'\n'
            + LblCount->fontMetrics().elidedText(QStringLiteral("読めない月（%1 か月）は飛ばしました：%2")
                                                     .arg(batch.unreadable.size())
                                                     .arg(batch.unreadable.join(QStringLiteral("、"))),
                Qt::ElideRight, LblCount->width());
    LblCount->setText(text);
}

void SearchForm::OpenCurrent()
{
    if (m_pause->isActive()) {
        StartSearch();
        m_keptPosition = -1;
        m_openFirstFound = true;
        return;
    }
    QModelIndex current = ListResult->currentIndex();
    if (!current.isValid() && m_results->rowCount() > 0) {
        current = m_results->index(0);
        ListResult->setCurrentIndex(current);
    }
    if (!current.isValid() || !m_results->Date(current.row()).isValid())
        return;
    const MatchPlaces::Place place = m_results->FirstPlace(current.row());
    // On success the main window comes forward with the entry.
    if (m_owner->OpenEntry(
            m_results->Date(current.row()), m_results->Position(current.row()), place.begin, place.length))
        return;
    // An entry that is gone or moved since the search is looked for again. A message about a failed
    // month switch takes the activation; the user goes on here.
    StartSearch();
    if (!isActiveWindow())
        activateWindow();
}
