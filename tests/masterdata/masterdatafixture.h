#pragma once
// A whole program run for the master-data windows: each window is opened the way the user opens
// it (a menu of the main window, or a pick button of the contract editor) and driven inside its
// modal showing.
#include "shell/shellfixture.h"

#include <QAction>
#include <QDialog>
#include <QModelIndex>
#include <QPushButton>
#include <functional>

class DBGrid;
class TFormAddCom;

class MasterDataFixture : public ShellFixture {
public:
    template <class Window> using Steps = std::function<void(Window&)>;

    // Opens the window from the main window's menu item and runs the steps inside it; the
    // window is closed afterwards when the steps left it open.
    template <class Window> void inWindow(QAction* menuItem, Steps<Window> steps) {
        modal.then([steps](QDialog* dialog) {
            activate(dialog);
            steps(*static_cast<Window*>(dialog));
        });
        menuItem->trigger();
    }
    // The same from inside a window already open (the contract editor's pick buttons).
    template <class Window> void inWindow(QPushButton* button, Steps<Window> steps) {
        modal.then([steps](QDialog* dialog) {
            activate(dialog);
            steps(*static_cast<Window*>(dialog));
        });
        click(button);
    }
    // The main window's 合同增加, with the steps run inside the editor.
    void inNewContract(const Steps<TFormAddCom>& steps);

    static void activate(QWidget* window);
    // Replaces the box's text as a user does: select all, then type (Chinese committed by the
    // input method).
    static void type(QWidget* box, const QString& text);
    // Selects all and deletes.
    static void erase(QWidget* box);
    static void click(QWidget* widget);
    static void doubleClickRow(DBGrid* grid, int row);
    // The texts of a grid column, top to bottom.
    static QStringList column(DBGrid* grid, int column);
    // A stored value, read from the register.
    QVariant stored(const QString& sql, const QVariantList& values = {}) {
        return scalar(sql, values);
    }
};
