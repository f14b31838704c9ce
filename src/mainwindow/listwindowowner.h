#pragma once

#include "listwindow/listowner.h"

class DiaryMonth;
class SavePoints;
class WindowNotices;

// What the list window asks of the main window: the loaded month's rows, and a row it chooses moves
// the main window to that day through the ordinary month switch. The list window reaches the main
// window through this alone; the main window opens it.
class ListWindowOwner final : public ListOwner
{
public:
    ListWindowOwner(
        DiaryMonth &month, SavePoints &savePoints, WindowNotices &notices, std::function<void()> openSearch);

    std::vector<MonthRow> LoadedRows() const override;
    QString LoadedYear() const override;
    QString LoadedMonth() const override;
    // Moves the calendar to date and shows that day; another month is reached through the
    // ordinary month switch, which saves the month being left.
    void ShowDate(const QDate &date) override;
    void Guard(const std::function<void()> &handling) override;
    void OpenSearch() override;

private:
    DiaryMonth &m_month;
    SavePoints &m_savePoints;
    WindowNotices &m_notices;
    // The main window opens the search window, as it opens this one.
    std::function<void()> m_openSearch;
};
