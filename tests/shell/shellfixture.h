#pragma once
// A whole program run without its message loop: a temporary root holding a fresh register at
// the program's own path, Settings.ini in the same folder, recorded message boxes and scripted
// modal windows; start() runs the entry sequence up to the first login.
#include "common/registerfixture.h"
#include "platform/gui/modal.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

class DBGrid;
class Startup;
class TDMod;
class TfrmCompactManager;
class TLogin;

class ShellFixture : public RegisterFixture {
public:
    ShellFixture();
    ~ShellFixture();

    // rights: names of the Operator columns set to true; a null password stays NULL.
    void addOperator(const QString& name, const QVariant& password, const QStringList& rights);
    // A receivable contract named after its number.
    int addContract(const QString& number, const QString& partner = {});
    void addReceivable(int compactId, double amount);

    // Runs the entry sequence; the first login picks the operator and types the password.
    // False when the program ended before its message loop.
    bool start(const QString& user = QStringLiteral("管理员"), const QString& password = {});
    // The action for a login dialog: choose the name, type the password, press "确定".
    static Modal::ScriptedModal::Action login(const QString& user, const QString& password);
    // Types into a box key by key; characters beyond Latin-1 come as key events carrying their
    // text.
    static void typeText(QWidget* box, const QString& text);
    // Clicks the main window's tab, a grid's row, or double-clicks a row.
    static void chooseTab(TfrmCompactManager& window, int index);
    static void clickRow(DBGrid* grid, int row);
    static void doubleClickRow(DBGrid* grid, int row);
    // The object names of the lists of a window that a user sees holding rows.
    static QStringList registerShown(const QWidget& window);
    // Ends the run: every window and the data module are destroyed.
    void stop();

    Modal::ScriptedModal modal;

    TfrmCompactManager& main() const;
    TLogin& loginDialog() const;
    TDMod& dm() const;

private:
    std::unique_ptr<Startup> m_startup;
};
