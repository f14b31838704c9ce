#pragma once

#include <QString>

// Conversions between the editor's text (line breaks as LF, or CR LF) and the stored form
// (every line break as backslash and n), and the title rule. Pure functions.
namespace TextCodec {
QString EncodeText(const QString &displayText);
QString DecodeText(const QString &storedText);
QString MakeTitle(const QString &storedText);
}
