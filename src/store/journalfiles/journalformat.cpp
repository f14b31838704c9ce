#include "store/journalfiles/journalformat.h"

#include "usermessages/words.h"

#include <QCryptographicHash>
#include <QList>

#include <algorithm>

namespace JournalFormat {

namespace {

const QByteArray FirstLine = QByteArrayLiteral("NOTERRA-JOURNAL 3");
// Journals left by the versions before: the first knew nothing of the diary they belonged to, the
// second nothing of the folder's device and inode.
const QByteArray FirstVersionLine = QByteArrayLiteral("NOTERRA-JOURNAL 1");
const QByteArray SecondVersionLine = QByteArrayLiteral("NOTERRA-JOURNAL 2");
const QByteArray Kind = QByteArrayLiteral("NOTERRA-JOURNAL ");
const QByteArray DigestKey = QByteArrayLiteral("sha256=");
constexpr qsizetype DigestLineSize = 7 + 64 + 1;
constexpr int LastDay = 31;

QByteArray Digest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

void AddLine(QByteArray &out, const char *key, const QByteArray &value)
{
    out += key;
    out += '=';
    out += value;
    out += '\n';
}

QString CutShort()
{
    return QStringLiteral("%1が途中で切れているか、終わりの形が壊れています。").arg(Words::Journal);
}

QString Damaged()
{
    return QStringLiteral("%1の中身が、書いたときと違います。").arg(Words::Journal);
}

// Reads the header line by line, only in the order the encoder writes it, and takes the blobs
// behind it; every value must be written exactly as the encoder writes it.
class Parser
{
public:
    explicit Parser(QByteArrayView body)
        : m_body(body)
    {
    }

    bool Number(const char *key, qint64 low, qint64 high, qint64 *value)
    {
        QByteArrayView text;
        return Line(key, &text) && Parse(text, low, high, value);
    }

    // Nothing, or lower-case hexadecimal as DiaryId writes an id, and a dash where a folder's
    // identity parts its device from its inode.
    bool Id(const char *key, QByteArray *id, bool dash = false)
    {
        QByteArrayView text;
        if (!Line(key, &text))
            return false;
        *id = text.toByteArray();
        return std::all_of(id->cbegin(), id->cend(),
            [dash](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (dash && c == '-'); });
    }

    bool Days(const char *key, std::vector<int> *days)
    {
        QByteArrayView text;
        if (!Line(key, &text))
            return false;
        if (text.isEmpty())
            return true;
        for (const QByteArray &part : text.toByteArray().split(',')) {
            qint64 day = 0;
            if (!Parse(part, 1, LastDay, &day))
                return false;
            days->push_back(int(day));
        }
        return true;
    }

    // The empty line after the header; what follows must be exactly the blobs of these sizes.
    bool Blobs(const QList<qint64> &sizes, QList<QByteArray> *blobs)
    {
        if (m_position >= m_body.size() || m_body[m_position] != '\n')
            return false;
        ++m_position;
        qint64 total = 0;
        for (qint64 size : sizes) {
            if (size > m_body.size() - m_position - total)
                return false;
            total += size;
        }
        if (total != m_body.size() - m_position)
            return false;
        for (qint64 size : sizes) {
            blobs->append(m_body.sliced(m_position, size).toByteArray());
            m_position += size;
        }
        return true;
    }

private:
    bool Line(const char *key, QByteArrayView *value)
    {
        const QByteArrayView rest = m_body.sliced(m_position);
        const QByteArray prefix = QByteArray(key) + '=';
        const qsizetype end = rest.indexOf('\n');
        if (end < 0 || !rest.first(end).startsWith(prefix))
            return false;
        *value = rest.sliced(prefix.size(), end - prefix.size());
        m_position += end + 1;
        return true;
    }

    static bool Parse(QByteArrayView text, qint64 low, qint64 high, qint64 *value)
    {
        bool ok = false;
        *value = text.toByteArray().toLongLong(&ok);
        return ok && *value >= low && *value <= high && QByteArray::number(*value) == text;
    }

    QByteArrayView m_body;
    qsizetype m_position = 0;
};

std::optional<JournalContent> Parse(QByteArrayView body, int version)
{
    const bool firstVersion = version == 1;
    Parser parser(body);
    JournalContent content;
    qint64 day = 0, base = 0, open = 0;
    QList<qint64> sizes(firstVersion ? 5 : 6);
    const qint64 most = body.size();
    const bool header = parser.Number("day", 1, LastDay, &day) && parser.Number("base", 0, 1, &base)
        && parser.Number("open", -1, most, &open) && parser.Days("changed", &content.changedDays)
        && (firstVersion || parser.Id("diary", &content.diaryId))
        && (version < 3 || parser.Id("identity", &content.folderIdentity, true))
        && parser.Number("year", 0, most, &sizes[0]) && parser.Number("month", 0, most, &sizes[1])
        && parser.Number("monthBytes", 0, most, &sizes[2]) && parser.Number("baseBytes", 0, most, &sizes[3])
        && parser.Number("editorText", 0, most, &sizes[4])
        && (firstVersion || parser.Number("folder", 0, most, &sizes[5]));
    QList<QByteArray> blobs;
    if (!header || !parser.Blobs(sizes, &blobs) || (base == 0 && !blobs[3].isEmpty()))
        return std::nullopt;
    content.day = int(day);
    content.baseExists = base == 1;
    content.openEntry = int(open);
    content.year = QString::fromUtf8(blobs[0]);
    content.month = QString::fromUtf8(blobs[1]);
    content.monthBytes = blobs[2];
    content.baseBytes = blobs[3];
    content.editorText = QString::fromUtf8(blobs[4]);
    if (!firstVersion)
        content.folderPath = blobs[5];
    return content;
}

}

QByteArray Encode(const JournalContent &content)
{
    const QByteArray year = content.year.toUtf8();
    const QByteArray month = content.month.toUtf8();
    const QByteArray editorText = content.editorText.toUtf8();
    QByteArrayList days;
    for (int day : content.changedDays)
        days.append(QByteArray::number(day));

    QByteArray out = FirstLine + '\n';
    AddLine(out, "day", QByteArray::number(content.day));
    AddLine(out, "base", content.baseExists ? "1" : "0");
    AddLine(out, "open", QByteArray::number(content.openEntry));
    AddLine(out, "changed", days.join(','));
    AddLine(out, "diary", content.diaryId);
    AddLine(out, "identity", content.folderIdentity);
    AddLine(out, "year", QByteArray::number(year.size()));
    AddLine(out, "month", QByteArray::number(month.size()));
    AddLine(out, "monthBytes", QByteArray::number(content.monthBytes.size()));
    AddLine(out, "baseBytes", QByteArray::number(content.baseBytes.size()));
    AddLine(out, "editorText", QByteArray::number(editorText.size()));
    AddLine(out, "folder", QByteArray::number(content.folderPath.size()));
    out += '\n';
    out += year + month + content.monthBytes + content.baseBytes + editorText + content.folderPath;
    AddLine(out, "sha256", Digest(out));
    return out;
}

std::optional<JournalContent> Decode(const QByteArray &bytes, QString *reason)
{
    const qsizetype firstEnd = bytes.indexOf('\n');
    const QByteArrayView first = QByteArrayView(bytes).first(firstEnd < 0 ? bytes.size() : firstEnd);
    if (firstEnd < 0 && (FirstLine.startsWith(first) || first.startsWith(Kind))) {
        *reason = CutShort();
        return std::nullopt;
    }
    if (!first.startsWith(Kind)) {
        *reason = QStringLiteral("%1ではないファイルです。").arg(Words::Journal);
        return std::nullopt;
    }
    if (first != FirstLine && first != FirstVersionLine && first != SecondVersionLine) {
        *reason = QStringLiteral("%1が、このプログラムの知らない形式で書かれています。").arg(Words::Journal);
        return std::nullopt;
    }
    const qsizetype bodyEnd = bytes.size() - DigestLineSize;
    if (bodyEnd <= firstEnd || !bytes.endsWith('\n') || QByteArrayView(bytes).sliced(bodyEnd, 7) != DigestKey) {
        *reason = CutShort();
        return std::nullopt;
    }
    const QByteArrayView digest = QByteArrayView(bytes).sliced(bodyEnd + 7, 64);
    if (digest != Digest(QByteArrayView(bytes).first(bodyEnd))) {
        *reason = Damaged();
        return std::nullopt;
    }
    std::optional<JournalContent> content
        = Parse(QByteArrayView(bytes).sliced(firstEnd + 1, bodyEnd - firstEnd - 1), first.back() - '0');
    if (!content)
        *reason = Damaged();
    return content;
}

}
