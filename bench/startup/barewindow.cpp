#include <QApplication>
#include <QLabel>
#include <QWidget>

// The floor the diary's start-up is measured against: Qt's own start-up and one empty window
// of the main window's size, shown the same way. With --japanese-label the window also shows
// one line of Japanese text, which makes Qt load a CJK font: that floor tells how much of the
// diary's start-up is the font alone.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.setFixedSize(565, 353);
    if (QApplication::arguments().contains(QStringLiteral("--japanese-label")))
        (new QLabel(QStringLiteral("タイトルリスト"), &window))->move(16, 200);
    window.show();
    return app.exec();
}
