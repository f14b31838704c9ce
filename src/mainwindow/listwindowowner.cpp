#include "mainwindow/listwindowowner.h"

#include "mainwindow/savepoints.h"
#include "mainwindow/windownotices.h"
#include "store/month/diarymonth.h"

#include <QDate>

ListWindowOwner::ListWindowOwner(
    DiaryMonth &month, SavePoints &savePoints, WindowNotices &notices, std::function<void()> openSearch)
    : m_month(month)
    , m_savePoints(savePoints)
    , m_notices(notices)
    , m_openSearch(std::move(openSearch))
{
}

std::vector<MonthRow> ListWindowOwner::LoadedRows() const
{
    return m_month.Rows();
}

QString ListWindowOwner::LoadedYear() const
{
    return m_month.Year();
}

QString ListWindowOwner::LoadedMonth() const
{
    return m_month.Month();
}

void ListWindowOwner::ShowDate(const QDate &date)
{
    Guard([this, date] { m_savePoints.MoveToDate(date); });
}

void ListWindowOwner::Guard(const std::function<void()> &handling)
{
    m_notices.Guard(handling);
}

void ListWindowOwner::OpenSearch()
{
    m_openSearch();
}
