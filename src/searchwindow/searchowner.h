#pragma once

#include "search/diarysearch.h"

#include <functional>
#include <optional>

class QDate;
class QRect;

// What the search window asks of the window that opens it: the loaded month as it stands on screen,
// unsaved work and the editor's text included, which is searched instead of its file; opening a
// found entry; and the guard its handlers run in, so that a failure reaches the user the way the
// owner's own failures do.
class SearchOwner
{
public:
    // None when the loaded month could not be loaded: its file is then searched, or named unreadable.
    virtual std::optional<ShownMonth> SearchedMonth() const = 0;
    // Goes to date as a calendar click would, shows the entry at position of that day with the
    // text from matchBegin for matchLength selected and in view, the window in front and active with
    // the editor focused, so that typing goes into the entry; false when the window stays where it was (the
    // month being left could not be saved) or the day no longer has that entry.
    virtual bool OpenEntry(const QDate &date, int position, int matchBegin, int matchLength) = 0;
    // The editor's place on the desktop, which the search window keeps clear of.
    virtual QRect EditorArea() const = 0;
    virtual void Guard(const std::function<void()> &handling) = 0;

protected:
    ~SearchOwner() = default;
};
