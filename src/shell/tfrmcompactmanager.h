#pragma once
// The main window: toolbar, contract tabs and grids, menus and status bar.
#include <QMainWindow>

class TfrmCompactManager : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmCompactManager(QWidget* parent = nullptr);

    // Re-links the contract list for the active tab (also run by the editor after a save).
    void PageControl1Change();
    // Index of the active contract tab (0: all contracts, 1: suppliers, 2: customers, 3: product page).
    int activeTab() const;
    // Writes the count text into the third status panel.
    void setCountText(const QString& text);
};
