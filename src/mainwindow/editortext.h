#pragma once

#include <QString>

class QPlainTextEdit;

// The entry text as the user sees it in the editor. An input method's conversion that is not
// yet committed (the preedit) is on screen but not in the editor's document; a write-back that
// misses it stores less than the user wrote.
namespace EditorText {

// Asks the input method to commit its conversion when the editor still has the focus, and
// returns the editor's text with whatever conversion is still open in its place. Frameworks
// that commit only after the window has lost the focus deliver the same characters into the
// editor later, replacing the open conversion, so nothing is stored twice.
QString Shown(QPlainTextEdit &editor);

}
