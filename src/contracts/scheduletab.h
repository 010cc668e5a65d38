#pragma once
// One schedule tab of the contract editor: the instalments of the current contract in an
// editable grid, their totals in the footer, and adding by a percentage of the contract amount.
// The receivable and the payable tab are two instances that differ only by their description.
#include <QDoubleSpinBox>
#include <QPointer>
#include <QWidget>
#include <functional>

class DBGrid;
class Dataset;
class GridFooter;
class QFrame;
class QKeyEvent;
class QLabel;
class QPushButton;
class QVBoxLayout;
class TDMod;

// What tells the receivable tab from the payable one.
struct ScheduleSide {
    QString caption;    // the tab's caption
    QString due;        // column prefix of the amount due and its date: "应收"
    QString settled;    // column prefix of the settled amount and its date: "实收"
    QString addAmounts; // the panel's last words
    QString gridName;   // object names of the controls
    QString addName;
    QString deleteName;
    QString panelName;
    QString percentName;
    bool clampPercent; // whether the percentage is held to 0..100
    Dataset* TDMod::*dataset;
    std::function<void()> TDMod::*totalsHook;
    std::function<double()> TDMod::*percentHook;

    QString dueAmount() const { return due + QStringLiteral("金额"); }
    QString settledAmount() const { return settled + QStringLiteral("金额"); }

    static const ScheduleSide& receivable();
    static const ScheduleSide& payable();
};

// The percentage input: shows whole numbers without decimals.
class PercentSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit PercentSpinBox(QWidget* parent = nullptr);
    QString textFromValue(double value) const override;
};

class ScheduleTab : public QWidget {
    Q_OBJECT
public:
    static constexpr double StartPercent = 10;
    static constexpr double PercentStep = 5;

    ScheduleTab(const ScheduleSide& side, QWidget* parent = nullptr);
    ~ScheduleTab() override;

    const ScheduleSide& side() const { return m_side; }
    // Builds the grid over the data module's schedule and sets the module's hooks for it.
    void bind(TDMod* dmod);
    Dataset* dataset() const;

    // Grid editable, buttons enabled and percentage panel shown; or all read-only.
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    // Walks the schedule and writes the three sums into the footer; leaves the last row current.
    void computeTotals();
    // Discards a pending row change.
    void cancelPending();
    // Saves a pending row change; false (after the general error display) when it is refused.
    bool postPending();
    double percent() const { return percentInput->value(); }
    // The footer text under a column of the grid, by field name.
    QString totalText(const QString& fieldName) const;

    // Handlers of the add and delete buttons.
    void addClick();
    void deleteClick();

    DBGrid* grid = nullptr;       // the schedule grid
    GridFooter* footer = nullptr; // the totals under the grid
    QFrame* panel;                // "按合同金额的" [percentage] "%" "添加应收金额"
    PercentSpinBox* percentInput; // the percentage, starts at 10
    QPushButton* addButton;       // "添加记录"
    QPushButton* deleteButton;    // "删除记录"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* makePanel();
    void gridKey(QKeyEvent* event, bool* handled);
    void clampPercentage();
    int columnOf(const QString& fieldName) const;
    void unbind();

    const ScheduleSide& m_side;
    QPointer<TDMod> m_dmod;
    QVBoxLayout* m_gridArea;
    bool m_editable = false;
};
