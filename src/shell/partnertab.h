#pragma once
// The supplier and customer tabs of the main window: one partner list with its name lookup on
// the left, the chosen partner's contracts on the right. Both tabs are this class, told apart by
// a PartnerSide.
#include <QWidget>

class DBGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class TDMod;

struct PartnerSide {
    QString filter;      // which partners the list holds
    QString numberTitle; // titles of the partner number and name columns
    QString nameTitle;
    QString lookupCaption; // label of the lookup strip
    // object names: partner grid, contract grid, lookup box, lookup button
    QString partnerGridName, contractGridName, lookupName, lookupButtonName;

    static PartnerSide suppliers();
    static PartnerSide customers();
};

class PartnerTab : public QWidget {
    Q_OBJECT
public:
    PartnerTab(const PartnerSide& side, TDMod& dm, QWidget* parent = nullptr);

    // Entering the tab: the partner list re-read and filtered to this side, the contract list
    // linked to it.
    void link();

    DBGrid* partnerGrid;       // partner list (DBGrid1 / DBGrid3)
    DBGrid* contractGrid;      // contracts of the partner (DBGrid2 / DBGrid4)
    QLineEdit* lookupEdit;     // EdLookup / EdLookup2
    QPushButton* lookupButton; // 开始查找 (SortBtn / SortBtn2)
    QSplitter* splitter;

    // Shared by both tabs: EdLookupChange / EdLookup2Change and SortBtnClick / SortBtn2Click.
    void EdLookupChange();
    void SortBtnClick();

Q_SIGNALS:
    void partnerClicked();
    void contractDoubleClicked();

private:
    QWidget* buildPartnerSide();
    QWidget* buildLookupStrip();

    PartnerSide m_side;
    TDMod& m_dm;
};
