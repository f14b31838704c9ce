#include "search/diarysearch.h"

#include "search/monthlisting.h"
#include "search/searchquery.h"

#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <future>
#include <map>

namespace {

// Often enough that results appear as months are read, seldom enough that the list is not
// rebuilt for every month.
constexpr int BatchMilliseconds = 40;

int Key(int year, int month)
{
    return year * 100 + month;
}

QString MonthName(int year, int month)
{
    return QStringLiteral("%1年%2月").arg(year).arg(month);
}

// The batch that goes on from one just delivered: no hits yet, the same counts, the same months
// named unreadable, for each batch names them all.
SearchBatch Continued(const SearchBatch &delivered)
{
    SearchBatch next;
    next.monthsSearched = delivered.monthsSearched;
    next.monthsTotal = delivered.monthsTotal;
    next.monthsToRead = delivered.monthsToRead;
    next.unreadable = delivered.unreadable;
    return next;
}

// A month file as one reading of it left it.
struct Outcome
{
    bool skipped = false;
    bool missing = false;
    std::shared_ptr<const MonthIndex> index;
    QString unreadable;
};

Outcome ReadMonth(const MonthListing::ListedMonth &listed)
{
    MonthEntries::MonthRead read = MonthEntries::Read(listed.path);
    Outcome outcome;
    if (read.status == MonthEntries::MonthRead::Status::Missing)
        outcome.missing = true;
    else if (read.status == MonthEntries::MonthRead::Status::Unreadable)
        outcome.unreadable = read.reason.isEmpty() ? QStringLiteral("読めません。") : read.reason;
    else
        outcome.index
            = std::make_shared<const MonthIndex>(listed.year, listed.month, read.stamp, std::move(read.entries));
    return outcome;
}

// A month of one search, in the order the search goes.
struct Planned
{
    MonthListing::ListedMonth listed;
    bool shown = false;
    Outcome known;
    std::future<Outcome> reading;
};

}

struct DiarySearch::Worker
{
    struct Kept
    {
        MonthEntries::FileStamp stamp;
        Outcome outcome;
    };
    using Deliver = std::function<void(SearchBatch &&)>;

    QString folder;
    std::atomic<int> generation { 0 };
    QThreadPool readers;
    // Touched by the one running search only: searches run one after another.
    std::map<int, Kept> months;

    void Run(int mine, const SearchQuery &query, const std::optional<ShownMonth> &shown, SearchOrder order,
        const Deliver &deliver);
    std::vector<Planned> Plan(int mine, const std::optional<ShownMonth> &shown, SearchOrder order);
    void Keep(const MonthListing::ListedMonth &listed, const Outcome &outcome);
    // Waits for the readings of a search; false when it was given up. A search that went through
    // forgets the months whose files are gone.
    bool Settle(int mine, std::vector<Planned> &plan);
};

std::vector<Planned> DiarySearch::Worker::Plan(int mine, const std::optional<ShownMonth> &shown, SearchOrder order)
{
    std::vector<MonthListing::ListedMonth> listing = MonthListing::List(folder);
    // Months are read in the order they are searched, so that the first results come soonest.
    if (order == SearchOrder::OldestFirst)
        std::reverse(listing.begin(), listing.end());
    std::vector<Planned> plan;
    for (MonthListing::ListedMonth &listed : listing) {
        if (shown && shown->year == listed.year && shown->month == listed.month)
            continue;
        Planned month;
        month.listed = std::move(listed);
        const auto kept = months.find(Key(month.listed.year, month.listed.month));
        if (month.listed.stamped && kept != months.end() && kept->second.stamp == month.listed.stamp) {
            month.known = kept->second.outcome;
        } else {
            auto task = std::make_shared<std::packaged_task<Outcome()>>([this, mine, listed = month.listed] {
                // A reading of a search given up is left to the search that replaced it.
                return generation.load() == mine ? ReadMonth(listed) : Outcome { true, false, nullptr, {} };
            });
            month.reading = task->get_future();
            readers.start([task] { (*task)(); });
        }
        plan.push_back(std::move(month));
    }
    if (shown) {
        Planned month;
        month.listed.year = shown->year;
        month.listed.month = shown->month;
        month.shown = true;
        month.known.index
            = std::make_shared<const MonthIndex>(shown->year, shown->month, MonthEntries::FileStamp(), shown->entries);
        const int key = Key(shown->year, shown->month);
        const auto after = std::find_if(plan.begin(), plan.end(), [key, order](const Planned &other) {
            const int otherKey = Key(other.listed.year, other.listed.month);
            return order == SearchOrder::NewestFirst ? otherKey < key : otherKey > key;
        });
        plan.insert(after, std::move(month));
    }
    return plan;
}

void DiarySearch::Worker::Keep(const MonthListing::ListedMonth &listed, const Outcome &outcome)
{
    const int key = Key(listed.year, listed.month);
    if (outcome.skipped)
        return;
    if (outcome.index)
        months[key] = { outcome.index->Stamp(), outcome };
    else if (!outcome.missing && listed.stamped)
        months[key] = { listed.stamp, outcome };
    else
        months.erase(key);
}

void DiarySearch::Worker::Run(int mine, const SearchQuery &query, const std::optional<ShownMonth> &shown,
    SearchOrder order, const Deliver &deliver)
{
    std::vector<Planned> plan = Plan(mine, shown, order);
    SearchBatch batch;
    batch.fresh = true;
    batch.monthsTotal = int(plan.size());
    batch.monthsToRead
        = int(std::count_if(plan.begin(), plan.end(), [](const Planned &m) { return m.reading.valid(); }));
    QElapsedTimer sinceDelivery;
    sinceDelivery.start();
    for (Planned &month : plan) {
        if (generation.load() != mine)
            break;
        if (month.reading.valid()) {
            month.known = month.reading.get();
            Keep(month.listed, month.known);
        }
        if (!month.known.unreadable.isEmpty())
            batch.unreadable.append(MonthName(month.listed.year, month.listed.month));
        std::vector<int> found;
        if (month.known.index)
            month.known.index->Search(query, found);
        if (order == SearchOrder::OldestFirst)
            std::reverse(found.begin(), found.end());
        for (const int entry : found)
            batch.hits.push_back({ month.known.index, entry });
        ++batch.monthsSearched;
        if (sinceDelivery.elapsed() >= BatchMilliseconds) {
            deliver(std::exchange(batch, Continued(batch)));
            sinceDelivery.restart();
        }
    }
    if (!Settle(mine, plan))
        return;
    batch.finished = true;
    deliver(std::move(batch));
}

bool DiarySearch::Worker::Settle(int mine, std::vector<Planned> &plan)
{
    // Readings still under way finish, or are skipped, before the next search may look at the months.
    for (Planned &month : plan) {
        if (month.reading.valid())
            Keep(month.listed, month.reading.get());
    }
    if (generation.load() != mine)
        return false;
    std::erase_if(months, [&plan](const auto &kept) {
        return std::none_of(plan.begin(), plan.end(),
            [&kept](const Planned &m) { return Key(m.listed.year, m.listed.month) == kept.first; });
    });
    return true;
}

DiarySearch::DiarySearch(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_worker(std::make_unique<Worker>())
{
    m_worker->folder = folder;
    // Searches run one after another, each on the months as the one before left them.
    m_jobs.setMaxThreadCount(1);
}

DiarySearch::~DiarySearch()
{
    ++m_worker->generation;
    m_jobs.waitForDone();
    m_worker->readers.waitForDone();
}

void DiarySearch::Start(const QString &typed, std::optional<ShownMonth> shown, SearchOrder order)
{
    const int mine = ++m_generation;
    m_worker->generation.store(mine);
    SearchQuery query(typed);
    if (query.IsEmpty()) {
        SearchBatch nothing;
        nothing.fresh = true;
        nothing.finished = true;
        emit Delivered(nothing);
        return;
    }
    const auto deliver = [this, mine](SearchBatch &&batch) {
        QMetaObject::invokeMethod(
            this,
            [this, mine, batch = std::move(batch)] {
                if (mine == m_generation)
                    emit Delivered(batch);
            },
            Qt::QueuedConnection);
    };
    m_jobs.start([worker = m_worker.get(), mine, query = std::move(query), shown = std::move(shown), order, deliver] {
        worker->Run(mine, query, shown, order, deliver);
    });
}

void DiarySearch::WaitForIdle()
{
    m_jobs.waitForDone();
}

qsizetype DiarySearch::IndexBytes() const
{
    qsizetype bytes = 0;
    for (const auto &[key, kept] : m_worker->months)
        bytes += qsizetype(sizeof(kept)) + (kept.outcome.index ? kept.outcome.index->Bytes() : 0);
    return bytes;
}

qsizetype DiarySearch::IndexedCharacters() const
{
    qsizetype characters = 0;
    for (const auto &[key, kept] : m_worker->months)
        characters += kept.outcome.index ? kept.outcome.index->Characters() : 0;
    return characters;
}
