#pragma once

#include <QString>

// The XML library's usual complaints about a month file in Japanese: the user reads what is wrong
// with the file in the words of the rest of the message, not the library's English.
namespace XmlErrorText {

// code is the library's error number, line where the trouble was found (0 when unknown), detail the
// library's own text, kept after 「詳細:」 only for a complaint the table does not word.
QString Of(int code, int line, const QString &detail);

}
