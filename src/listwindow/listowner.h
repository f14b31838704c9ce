#pragma once

#include <QString>
#include <functional>

class QDate;
class XmlDocument;

// What the list window asks of the window that opens it: the loaded month's document and the
// year and month it belongs to, to read; the title of an entry, made as the owner's own title
// list makes it; a date to show; and the guard its handlers run in, so that a failure reaches the
// user the way the owner's own failures do.
class ListOwner
{
public:
    virtual const XmlDocument &LoadedDocument() const = 0;
    virtual QString LoadedYear() const = 0;
    virtual QString LoadedMonth() const = 0;
    virtual QString MakeTitle(const QString &storedText) const = 0;
    virtual void ShowDate(const QDate &date) = 0;
    virtual void Guard(const std::function<void()> &handling) = 0;

protected:
    ~ListOwner() = default;
};
