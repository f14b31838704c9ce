#pragma once

#include "store/month/monthrow.h"

#include <QString>
#include <functional>
#include <vector>

class QDate;

// What the list window asks of the window that opens it: the loaded month's entries, with their
// titles made as the owner's own title list makes them, and the year and month they belong to;
// a date to show; the search window; and the guard its handlers run in, so that a failure reaches
// the user the way the owner's own failures do.
class ListOwner
{
public:
    virtual std::vector<MonthRow> LoadedRows() const = 0;
    virtual QString LoadedYear() const = 0;
    virtual QString LoadedMonth() const = 0;
    virtual void ShowDate(const QDate &date) = 0;
    virtual void Guard(const std::function<void()> &handling) = 0;
    // Opens the search window, or brings it forward.
    virtual void OpenSearch() = 0;

protected:
    ~ListOwner() = default;
};
