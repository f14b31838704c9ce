#pragma once

#include <QWidget>

class ArticleListModel;
class ListOwner;
class QModelIndex;
class QPushButton;
class QTreeView;

// The "一覧" window: every entry of the loaded month by day and title, sortable by either
// column; a row click moves the main window to that row's day. It only reads the month
// document, and reaches its owner only through ListOwner.
class ListForm : public QWidget
{
    Q_OBJECT
public:
    ListForm(ListOwner *owner, QWidget *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void ConnectControls();
    void FillList();
    void BtnRefreshClick();
    void ListArticleColumnClick(int column);
    void ListArticleItemClick(const QModelIndex &index);

    ListOwner *m_owner;
    ArticleListModel *m_rows = nullptr;
    QPushButton *BtnEnd = nullptr;
    QPushButton *BtnRefresh = nullptr;
    QTreeView *ListArticle = nullptr;
};
