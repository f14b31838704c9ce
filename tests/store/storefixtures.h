#pragma once

#include "store/month/daysource.h"
#include "store/xml/xmldom.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

// One month as different encodings store it, written byte by byte: the 12th has one entry of two
// lines (Japanese, a marker, half-width katakana), the 4th has an entry with an escaped ampersand
// and one in ASCII. Each is byte for byte what the store itself writes in that encoding.
namespace Fixtures {

inline QByteArray Body(const QByteArray &nikki, const QByteArray &katakanaA)
{
    return "<DIARY><ARTICLE DATE=\"12\"><TEXT>" + nikki + "\\n" + katakanaA
        + "</TEXT></ARTICLE><ARTICLE DATE=\"4\"><TEXT>a&amp;b</TEXT><TEXT>Milk</TEXT></ARTICLE></DIARY>\n";
}

inline QByteArray Declaration(const QByteArray &encoding)
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n";
}

inline QByteArray Cp932Month()
{
    return Declaration("Shift_JIS") + Body("\x93\xFA\x8B\x4C", "\xB1");
}

inline QByteArray Utf8Month()
{
    return Declaration("UTF-8") + Body("\xE6\x97\xA5\xE8\xA8\x98", "\xEF\xBD\xB1");
}

inline QByteArray EucJpMonth()
{
    return Declaration("EUC-JP") + Body("\xC6\xFC\xB5\xAD", "\x8E\xB1");
}

inline QByteArray NoDeclarationMonth()
{
    return Body("\xE6\x97\xA5\xE8\xA8\x98", "\xEF\xBD\xB1");
}

inline QByteArray Utf16Month()
{
    const QString text = QString::fromUtf8(Declaration("UTF-16") + Body("\xE6\x97\xA5\xE8\xA8\x98", "\xEF\xBD\xB1"));
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}

// Entries of the month above, in document order, as the store reads them.
inline QStringList Entries()
{
    return { QStringLiteral(u"日記\\nｱ"), QStringLiteral("a&b"), QStringLiteral("Milk") };
}

// The text of every entry, in document order: of the whole document, or of one ARTICLE.
inline QStringList EntryTexts(const std::vector<XmlNode> &entries)
{
    QStringList texts;
    for (const XmlNode &entry : entries)
        texts << entry.text();
    return texts;
}

inline QStringList EntryTexts(const XmlDocument &doc)
{
    return EntryTexts(doc.getElementsByTagName(QStringLiteral("TEXT")));
}

inline QStringList EntryTexts(const XmlNode &article)
{
    return EntryTexts(article.childNodes());
}

// The calendar with one day selected.
class FakeCalendar : public DaySource
{
public:
    explicit FakeCalendar(int day)
        : m_day(day)
    {
    }
    int Day() const override { return m_day; }

private:
    int m_day;
};

inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}
