#pragma once

#include "searchwindow/searchowner.h"

class DayView;
class QWidget;
class DiaryMonth;
class SavePoints;
class WindowNotices;

// What the search window asks of the main window: the loaded month as it stands on screen, as the
// month itself tells it, and a found entry shown through the ordinary month switch.
// The search window reaches the main window through this alone; the main window opens it.
class SearchWindowOwner final : public SearchOwner
{
public:
    SearchWindowOwner(
        DiaryMonth &month, DayView &dayView, SavePoints &savePoints, WindowNotices &notices, QWidget &editor);

    std::optional<ShownMonth> SearchedMonth() const override;
    bool OpenEntry(const QDate &date, int position, int matchBegin, int matchLength) override;
    QRect EditorArea() const override;
    void Guard(const std::function<void()> &handling) override;

private:
    DiaryMonth &m_month;
    DayView &m_dayView;
    SavePoints &m_savePoints;
    WindowNotices &m_notices;
    QWidget &m_editor;
};
