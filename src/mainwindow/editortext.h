#pragma once

#include <QString>

class QPlainTextEdit;

// The entry text as the user sees it in the editor.
namespace EditorText {

// The editor's text with an input method's conversion that is not yet committed (the preedit)
// in its place. The conversion is on screen but not in the editor's document, and some input
// methods commit it only after the window has lost the activation: a write-back of the
// document alone stores less than the user sees. When the commit arrives it replaces the
// conversion with the same characters, so nothing is stored twice.
QString Shown(const QPlainTextEdit &editor);

}
