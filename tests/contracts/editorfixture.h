#pragma once
// The contract editor over a fresh register: two partners, two departments, an operator logged
// in, recorded message boxes and scripted modal windows. Rows go in before start(); start()
// opens the data module and creates the editor as the program does.
#include "common/registerfixture.h"
#include "platform/gui/modal.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class TFormAddCom;
class TLogin;

class EditorFixture : public RegisterFixture {
public:
    EditorFixture();
    ~EditorFixture();

    // rights: the Operator columns set to true.
    void addOperator(const QString& name, const QStringList& rights);
    void start(const QString& user = QStringLiteral("管理员"));

    TFormAddCom& editor() const { return *m_editor; }
    Dataset& contracts() { return *module().TBCompacter; }

    // What the main window's add command does, then the editor is shown.
    void openAdd(const QString& number = QStringLiteral("HT001"));
    // What a double-click in the contract list does, then the editor is shown.
    void openView(const QString& number);
    // Fills every required field of an add, choosing this direction.
    void fillRequired(const QString& direction = QStringLiteral("收款"));

    // A stored column of a contract, read from the register.
    QVariant stored(const QString& number, const QString& column);
    int count(const QString& table);

    // The user's hand: typing replaces the box's text, as after selecting it all.
    static void type(QWidget* box, const QString& text);
    // Pasting over the box's whole text with Ctrl+V, from the clipboard.
    static void paste(QWidget* box, const QString& text);
    static void click(QWidget* widget);
    // Picks an item from the box's drop-down list.
    static void choose(QComboBox* box, const QString& item);
    static void pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {});

    Modal::ScriptedModal modal;

private:
    void showEditor();

    std::unique_ptr<TLogin> m_login;
    std::unique_ptr<TFormAddCom> m_editor;
};

// A named control inside a window; the test fails loudly without it.
template <class T> T* control(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}
