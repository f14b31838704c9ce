#pragma once

#include <QDate>
#include <QWidget>

class DiarySearch;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTimer;
class SearchOwner;
class SearchResultModel;
struct SearchBatch;

// The "検索" window: words typed into its field are looked for in every month of the diary as the
// user types, and a found entry opens in the main window, which it reaches only through
// SearchOwner. Closing only hides it: the months read stay for the next search.
class SearchForm : public QWidget
{
    Q_OBJECT
public:
    SearchForm(SearchOwner *owner, const QString &folder, QWidget *parent);

    // Shows the window in front with the typed words selected, so that new ones replace them.
    void Reopen();
    // The diary changed (a save, a merge, a month loaded afresh): the results shown follow it.
    void SearchAgain();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void CreateControls();
    void ConnectControls();
    void PlaceBesideOwner();
    void StartSearch();
    void ShowBatch(const SearchBatch &batch);
    void ShowCount(const SearchBatch &batch);
    void ShowYears();
    void JumpToYear(int item);
    void OpenCurrent();

    SearchOwner *m_owner;
    DiarySearch *m_search = nullptr;
    SearchResultModel *m_results = nullptr;
    QTimer *m_pause = nullptr;
    // The entry that was current before a search ran again; it stays current when found again.
    QDate m_keptDate;
    int m_keptPosition = -1;
    // Return came before the words typed last were searched: the first entry they find opens.
    bool m_openFirstFound = false;

    QLabel *lblSearch = nullptr;
    QLineEdit *TxtSearch = nullptr;
    QComboBox *CmbOrder = nullptr;
    QListView *ListResult = nullptr;
    QLabel *lblYear = nullptr;
    QComboBox *CmbYear = nullptr;
    QLabel *LblCount = nullptr;
    QPushButton *BtnEnd = nullptr;
};
