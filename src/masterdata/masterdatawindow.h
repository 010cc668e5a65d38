#pragma once
// The master-data window: a list over one dataset of the data module, an edit panel below it and
// a button bar (add, modify, delete, exit), switched by resizing between the list layout and the
// edit layout, with the List, Adding and Modifying states between them. The partners,
// departments and operators windows each describe what differs and add their edit panel.
#include "components/fieldlinks.h"
#include "data/datasetmodel.h"
#include "data/tdmod.h"
#include "keyreferences.h"

#include <QDialog>
#include <QPointer>

class DBGrid;
class QFrame;
class QLineEdit;
class QPushButton;

struct MasterDataLook {
    struct ButtonLook {
        QString name;
        QString caption;
    };

    QString objectName;
    QString caption;
    Dataset* TDMod::*dataset;
    QString gridName;
    QList<DatasetModel::Column> columns;
    int width;      // of the window's inside
    int gridHeight; // of the list
    int editHeight; // of the expanded edit panel
    // The list's hint in pick mode ("" in management mode); empty: no pick mode.
    QString pickHint;
    ButtonLook add, modify, remove, exit, confirm, cancel;
    // The delete question: caption, text before the line break, the field named after it.
    QString deleteCaption;
    QString deleteText;
    QString deleteField;
    // The list and the other bound controls stand still while a row is edited.
    bool suspendWhileEditing;
    // The rows of other tables that name a row of this list by its key field. A row in use is
    // not deleted (inUseText takes the key and the count); a changed key reaches them.
    QString keyField;
    QList<KeyReference> references;
    QString inUseText;
};

class MasterDataWindow : public QDialog {
    Q_OBJECT
public:
    enum class State { List, Adding, Modifying };

    ~MasterDataWindow() override;

    // Binds the list and the edit panel to the data module; done on first use with app().DMod
    // when nobody called it.
    void bindData(TDMod* dm);

    State state() const { return m_state; }
    bool isEditLayout() const { return m_editLayout; }
    Dataset* dataset() const;

    DBGrid* grid() const { return m_grid; }
    QFrame* editPanel() const { return m_panel; }
    QWidget* buttonBar() const { return m_bar; }

    // Every way of closing runs the closing steps first; closing is never refused.
    void done(int result) override;

protected:
    MasterDataWindow(const MasterDataLook& look, QWidget* parent);

    // The edit panel's own controls (made by the window's constructor) get their links here.
    virtual void bindPanel(TDMod& dm) = 0;
    // The window's 确定.
    virtual void confirm() = 0;
    virtual bool pickMode() const { return false; }
    // A double-click on a row in pick mode.
    virtual void pick() {}
    // Each showing, after the list layout is taken.
    virtual void shown() {}
    // Before 添加 changes anything; false stops it (after a message).
    virtual bool mayAdd() { return true; }
    // The new row of 添加 has been appended / the row of 修改 is about to be edited.
    virtual void appended() {}
    virtual void editing() {}
    // After the pending row was discarded by 取消.
    virtual void cancelled() {}
    // False refuses the delete of the current row (after a message).
    virtual bool mayDelete() { return true; }
    // After the delete question, whatever the answer.
    virtual void deleteAsked() {}
    // The closing steps; the default runs the 取消 procedure.
    virtual void closing();
    // The box that takes the focus in the edit layout.
    virtual QWidget* firstBox() const { return nullptr; }

    void ensureBound();
    TDMod* dm() const { return m_dm; }

    // 添加, 修改, 删除, 取消 as every master-data window runs them.
    void addRecord();
    void modifyRecord();
    void deleteRecord();
    void cancelRecord();
    // Back to the list layout: panel collapsed and hidden, bar shown, list enabled and resumed.
    void listLayout();
    // Saves the pending row, carrying a changed key to the rows that name it; false when the
    // save was refused or the save-error rule abandoned it (the row stays).
    bool save();
    // Shows the "信息提示" notice and puts the focus into the box.
    void refuse(const QString& text, QWidget* focus);
    // The same, when the box holds nothing but blanks.
    bool refuseBlank(QLineEdit* box, const QString& text);

    QPushButton* button(const MasterDataLook::ButtonLook& look, QWidget* parent);
    // A text box with its caption as its accessible name.
    static QLineEdit* textBox(const QString& name, const QString& caption, QWidget* parent);

    FieldLinkSet m_links;
    QPushButton* m_addButton;
    QPushButton* m_modifyButton;
    QPushButton* m_deleteButton;
    QPushButton* m_exitButton;
    QPushButton* m_confirmButton;
    QPushButton* m_cancelButton;

    void showEvent(QShowEvent* event) override;

private:
    void buildBar();
    void FormShow();
    void setEditLayout(bool edit);
    void arrange();
    void suspend();
    void resume();
    void rowDoubleClicked(const QModelIndex& index);
    // True, after a message, when rows of other tables name the current row.
    bool inUse();
    bool saveCarrying(const QVariant& from, const QVariant& to);

    MasterDataLook m_look;
    QPointer<TDMod> m_dm;
    DBGrid* m_grid = nullptr;
    QFrame* m_panel;
    QWidget* m_bar;
    State m_state = State::List;
    bool m_editLayout = false;
    bool m_suspended = false;
    bool m_closing = false;
};
