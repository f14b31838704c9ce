#pragma once

#include <QString>

// The words every message uses for the diary's things, so that one thing has one name wherever the
// user reads of it. The buttons' captions are the design's own and are not taken from here.
namespace Words {

// What the save points do: moving the calendar to another month, and 保管しておわり.
inline const QString Save = QStringLiteral("保存");
// The recovery journal, kept outside the diary folder between the save points.
inline const QString Journal = QStringLiteral("書きかけの控え");
// The other side's whole month, kept beside the month when both sides changed a day.
inline const QString ConflictCopy = QStringLiteral("もう一方の内容のコピー");
// Copies of a month that a sync tool makes; the program never reads them as months.
inline const QString SyncCopy = QStringLiteral("同期ソフトのコピー");
// The month file a save replaced, kept as Diary….xml.bak.
inline const QString PreviousVersion = QStringLiteral("一つ前の内容");
inline const QString Folder = QStringLiteral("フォルダー");
// What follows it is the system's or a library's own detail, always at the end of a message.
inline const QString Detail = QStringLiteral("詳細: ");

// A message with the system's or a library's own words on a line of their own at its end, where
// they do not stand between the user and what to do.
inline QString WithDetail(const QString &text, const QString &detail)
{
    // A detail that carries details of its own keeps them on its one line.
    const QString flat = QString(detail).replace(u'\n' + Detail, QStringLiteral(" "));
    return detail.isEmpty() ? text : text + u'\n' + Detail + flat.trimmed();
}

}
