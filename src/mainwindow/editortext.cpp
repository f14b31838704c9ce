#include "mainwindow/editortext.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

QString EditorText::Shown(const QPlainTextEdit &editor)
{
    QString text = editor.toPlainText();
    // The editor keeps an open conversion in the layout of the block that holds the cursor.
    const QTextBlock block = editor.textCursor().block();
    const QTextLayout *layout = block.layout();
    if (layout && !layout->preeditAreaText().isEmpty())
        text.insert(block.position() + layout->preeditAreaPosition(), layout->preeditAreaText());
    return text;
}
