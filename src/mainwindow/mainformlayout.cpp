#include "mainwindow/caldiary.h"
#include "mainwindow/japanesefonts.h"
#include "mainwindow/mainform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {

// The window was laid out in twips; 15 of them make one device-independent pixel.
constexpr int TwipsPerPixel = 15;
constexpr int ClientWidth = 8475;
constexpr int ClientHeight = 5295;

struct Placement
{
    QWidget *control;
    const char *name;
    int left, top, width, height;
};

QRect Pixels(const Placement &place)
{
    return QRect(place.left / TwipsPerPixel, place.top / TwipsPerPixel, place.width / TwipsPerPixel,
                 place.height / TwipsPerPixel);
}

QPushButton *PlainButton(const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    // Enter and Escape press no button in this window.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}

void MainForm::CreateControls()
{
    setFixedSize(ClientWidth / TwipsPerPixel, ClientHeight / TwipsPerPixel);
    JapaneseFonts::RegisterSubstitutes();
    setFont(JapaneseFonts::UiFont());

    CalDiary_ = new CalDiary(this);
    ListTitle = new QListWidget(this);
    ListTitle->setFont(JapaneseFonts::TitleListFont(false));
    ListTitle->setSelectionMode(QAbstractItemView::SingleSelection);
    ListTitle->setSortingEnabled(false);
    BtnNew = PlainButton(QStringLiteral("新規"), this);
    TxtText = new QPlainTextEdit(this);
    TxtText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TxtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TxtText->setTabChangesFocus(true);
    TxtText->setReadOnly(true);
    TxtText->setPlaceholderText(QStringLiteral("「新規」を押すか、タイトルを選ぶと書けます。"));
    lblListTitle = new QLabel(QStringLiteral("タイトルリスト"), this);
    lblListTitle->setFont(JapaneseFonts::TitleListFont(true));
    BtnEnd = PlainButton(QStringLiteral("保管しておわり"), this);
    BtnDel = PlainButton(QStringLiteral("削除"), this);
    BtnList = PlainButton(QStringLiteral("一覧"), this);

    const Placement placements[] = {
        { CalDiary_, "CalDiary", 240, 600, 2385, 2220 },    { ListTitle, "ListTitle", 120, 3240, 2535, 1380 },
        { BtnNew, "BtnNew", 240, 4800, 1095, 300 },         { TxtText, "TxtText", 3000, 720, 5295, 4335 },
        { lblListTitle, "lblListTitle", 240, 3000, 1455, 255 }, { BtnEnd, "BtnEnd", 6600, 240, 1695, 300 },
        { BtnDel, "BtnDel", 1440, 4800, 1095, 300 },        { BtnList, "BtnList", 480, 120, 1935, 300 },
    };
    QWidget *previous = nullptr;
    for (const Placement &place : placements) {
        place.control->setObjectName(QString::fromLatin1(place.name));
        place.control->setGeometry(Pixels(place));
        if (place.control == lblListTitle)
            continue;
        if (previous)
            setTabOrder(previous, place.control);
        previous = place.control;
    }

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
