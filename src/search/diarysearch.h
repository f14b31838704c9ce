#pragma once

#include "search/monthindex.h"
#include "store/month/monthentries.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <memory>
#include <optional>
#include <vector>

// One found entry; its month stays readable for as long as the hit is kept.
struct SearchHit
{
    std::shared_ptr<const MonthIndex> month;
    int entry = 0;
};

// The loaded month as the main window shows it, unsaved work included; it stands in for its file.
struct ShownMonth
{
    int year = 0;
    int month = 0;
    std::vector<MonthRow> entries;
};

// The order in which a search delivers what it finds; a day's entries come in reverse too.
enum class SearchOrder
{
    NewestFirst,
    OldestFirst
};

// What one search has found so far, in the order asked; each batch continues the one before.
struct SearchBatch
{
    // The first batch of a search: the hits of the search before are gone.
    bool fresh = false;
    bool finished = false;
    std::vector<SearchHit> hits;
    int monthsSearched = 0;
    int monthsTotal = 0;
    // Month files this search reads for the first time or again since they changed.
    int monthsToRead = 0;
    // "2001年3月" for each month file that could not be read, once each.
    QStringList unreadable;
};

// Searches every month of a diary's folder for what the user typed, off the window's thread. Month
// files are read once and kept folded; a file whose stamp has changed since is read again at the
// next search. A new search drops the one still running, and only its batches are delivered.
class DiarySearch : public QObject
{
    Q_OBJECT
public:
    explicit DiarySearch(const QString &folder, QObject *parent = nullptr);
    ~DiarySearch() override;

    void Start(const QString &typed, std::optional<ShownMonth> shown, SearchOrder order = SearchOrder::NewestFirst);
    // Waits until no search runs; for measuring.
    void WaitForIdle();
    // What the kept months hold in memory and how many characters of entry text they keep; only
    // while no search runs.
    qsizetype IndexBytes() const;
    qsizetype IndexedCharacters() const;

signals:
    void Delivered(const SearchBatch &batch);

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
    QThreadPool m_jobs;
    int m_generation = 0;
};
