#include "calendar/caldiary.h"
#include "mainwindow/mainform.h"
#include "ui/formlayout.h"
#include "ui/japanesefonts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int ClientWidth = 8475;
constexpr int ClientHeight = 5295;
}

void MainForm::CreateControls()
{
    setFixedSize(FormLayout::ClientSize(ClientWidth, ClientHeight));
    JapaneseFonts::RegisterSubstitutes();
    setFont(JapaneseFonts::UiFont());

    CalDiary_ = new CalDiary(JapaneseFonts::CalendarFont(11), this);
    ListTitle = new QListWidget(this);
    ListTitle->setFont(JapaneseFonts::TitleListFont(false));
    ListTitle->setSelectionMode(QAbstractItemView::SingleSelection);
    ListTitle->setSortingEnabled(false);
    // Titles are one line each; equal row heights keep a day of a thousand entries quick.
    ListTitle->setUniformItemSizes(true);
    BtnNew = FormLayout::PlainButton(QStringLiteral("新規"), this);
    TxtText = new QPlainTextEdit(this);
    TxtText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TxtText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TxtText->setTabChangesFocus(true);
    TxtText->setAccessibleName(QStringLiteral("本文"));
    lblListTitle = new QLabel(QStringLiteral("タイトルリスト"), this);
    lblListTitle->setFont(JapaneseFonts::TitleListFont(true));
    // A list view takes no name from a label beside it; the buddy gives tools the relation too.
    lblListTitle->setBuddy(ListTitle);
    ListTitle->setAccessibleName(lblListTitle->text());
    BtnEnd = FormLayout::PlainButton(QStringLiteral("保管しておわり"), this);
    BtnDel = FormLayout::PlainButton(QStringLiteral("削除"), this);
    BtnList = FormLayout::PlainButton(QStringLiteral("一覧"), this);

    FormLayout::Place({
        { CalDiary_, "CalDiary", 240, 600, 2385, 2220 },
        { ListTitle, "ListTitle", 120, 3240, 2535, 1380 },
        { BtnNew, "BtnNew", 240, 4800, 1095, 300 },
        { TxtText, "TxtText", 3000, 720, 5295, 4335 },
        { lblListTitle, "lblListTitle", 240, 3000, 1455, 255 },
        { BtnEnd, "BtnEnd", 6600, 240, 1695, 300 },
        { BtnDel, "BtnDel", 1440, 4800, 1095, 300 },
        { BtnList, "BtnList", 480, 120, 1935, 300 },
    });

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
