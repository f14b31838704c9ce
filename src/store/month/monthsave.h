#pragma once

#include "store/month/saveoutcome.h"
#include "store/monthfile/monthfile.h"

#include <optional>

class DiaryMonthPrivate;

// One save of the loaded month: blank entries dropped, then the month written to its file, merged
// with another program's changes to the file since it was loaded, in a few tries when that program
// keeps writing meanwhile. A month with nothing unsaved whose file exists is left as it is. The
// folder must still be in its place.
class MonthSave
{
public:
    explicit MonthSave(DiaryMonthPrivate &month);

    // Throws StoreError, whose message names every file the save kept beside the month.
    SaveOutcome Run();

private:
    struct Attempt;
    struct Displaced;

    // The entries of sync tools' copies that the month lacks, as changes of this program's; returns
    // the copies whose entries the month now all holds.
    QStringList TakeInSyncCopies();
    bool Prepare(const std::optional<Displaced> &displaced, Attempt &attempt);
    void Adopt(Attempt &attempt, const QByteArray &written);
    SaveOutcome Finish(Attempt &attempt, const MonthFile::WriteResult &written);

    DiaryMonthPrivate &m_month;
    const QString m_path;
    SaveOutcome m_outcome;
};
