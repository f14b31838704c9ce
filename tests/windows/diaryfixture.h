#pragma once

#include "calendar/caldiary.h"
#include "calendar/calendargrid.h"
#include "listwindow/listform.h"
#include "mainwindow/mainform.h"
#include "store/month/diarymonth.h"

#include <QApplication>
#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <memory>

// What the window tests share: month files written byte by byte into a temporary program
// directory, a main window started there on a chosen day with its messages captured, and the
// list window opened from it.
namespace DiaryFixture {

inline QByteArray MonthXml(const QByteArray &articles)
{
    return "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<DIARY>" + articles + "</DIARY>\r\n";
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The window system reports a window active before the application has moved the focus
// there; wait for the application.
inline bool WaitActive(QWidget *window)
{
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

inline void ClickListRow(ListForm *list, int row)
{
    auto *view = list->findChild<QTreeView *>(QStringLiteral("ListArticle"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(row, 1)).center());
}

struct Window
{
    explicit Window(const QString &directory, const QDate &today)
        : form(std::make_unique<MainForm>(DiaryFolder(directory), [today] { return today; }))
    {
        form->SetMessageSink([this](MessageKind kind, const QString &title, const QString &text) {
            kinds.append(kind);
            titles.append(title);
            messages.append(text);
        });
        form->SetSaveQuestion([this](const QString &, const QString &text) {
            questions.append(text);
            return answer;
        });
    }

    template <typename T> T *Find(const char *name) const { return form->findChild<T *>(QString::fromLatin1(name)); }
    QListWidget *Titles() const { return Find<QListWidget>("ListTitle"); }
    QPlainTextEdit *Editor() const { return Find<QPlainTextEdit>("TxtText"); }
    QPushButton *Button(const char *name) const { return Find<QPushButton>(name); }
    CalDiary *Calendar() const { return form->Calendar(); }
    DiaryMonth *Month() const { return form->findChild<DiaryMonth *>(); }
    QString StoredText(int position) const { return Month()->EntryText(position).value_or(QString()); }
    bool DayBold(const QDate &date) const { return Calendar()->findChild<CalendarGrid *>()->IsMarked(date); }

    QStringList TitleTexts() const
    {
        QStringList texts;
        for (int row = 0; row < Titles()->count(); ++row)
            texts.append(Titles()->item(row)->text());
        return texts;
    }

    // The highlighted row: what the user sees chosen, whatever row Qt holds as current.
    int SelectedRow() const
    {
        const QList<QListWidgetItem *> selected = Titles()->selectedItems();
        return selected.isEmpty() ? -1 : Titles()->row(selected.first());
    }

    // The offscreen platform can call the window active before Qt has moved the focus into it,
    // so wait for Qt's own view as well: the tests rely on real focus changes.
    bool ShowAndActivate()
    {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get()) && WaitActive(form.get());
    }

    // Opens the list window by BtnList, as the user does; the list window is then active.
    ListForm *OpenList()
    {
        if (!form->isVisible() && !ShowAndActivate())
            return nullptr;
        Click("BtnList");
        auto *list = form->findChild<ListForm *>();
        return list && WaitActive(list) ? list : nullptr;
    }

    void ClickTitle(int row) const
    {
        const QRect rectangle = Titles()->visualItemRect(Titles()->item(row));
        QTest::mouseClick(Titles()->viewport(), Qt::LeftButton, {}, rectangle.center());
    }

    void Click(const char *button) const { QTest::mouseClick(Button(button), Qt::LeftButton); }

    // What the calendar reports when the user picks date: the selection change, then the click.
    void Pick(const QDate &date) const
    {
        Calendar()->SetValue(date);
        emit Calendar()->SelectionChanged(date);
        emit Calendar()->Clicked();
    }

    // Text arrives as an input method commit: QTest::keyClicks cannot type Japanese.
    void Type(const QString &text) const
    {
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(Editor(), &event);
    }

    std::unique_ptr<MainForm> form;
    QStringList messages;
    QList<MessageKind> kinds;
    QStringList titles;
    QStringList questions;
    // How the question about unsaved work is answered: by default 保管せずにおわる, so that a test
    // that closes its window ends it without saving.
    SaveAnswer answer = SaveAnswer::QuitWithoutSaving;
};

}
