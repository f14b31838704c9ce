#pragma once

#include <QWidget>

class ArticleListModel;
class MainForm;
class QModelIndex;
class QPushButton;
class QTreeView;

// The "一覧" window: every entry of the loaded month by day and title, sortable by either
// column; a row click moves the main window to that row's day. It only reads the month
// document, and reaches the main window through its public operations.
class ListForm : public QWidget
{
    Q_OBJECT
public:
    explicit ListForm(MainForm *owner);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateControls();
    void ConnectControls();
    void FillList();
    void BtnRefreshClick();
    void ListArticleColumnClick(int column);
    void ListArticleItemClick(const QModelIndex &index);

    MainForm *m_owner;
    ArticleListModel *m_rows = nullptr;
    QPushButton *BtnEnd = nullptr;
    QPushButton *BtnRefresh = nullptr;
    QTreeView *ListArticle = nullptr;
};
