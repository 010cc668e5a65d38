#pragma once
// The login dialog: picks an operator, checks the password, and answers the permission check.
#include <QDialog>
#include <QVariant>

class Database;
class Dataset;
class QComboBox;
class QLineEdit;
class QPushButton;

class TLogin : public QDialog {
    Q_OBJECT
public:
    explicit TLogin(QWidget* parent = nullptr);

    // Creates TBLogin on the data module's connection, once it exists; left closed until shown.
    void bindData(Database& db);

    // The logged-in operator's name; empty until the first successful login.
    QString CurUserName;
    // The logged-in operator's row, by which the rights are found and a new name followed.
    QVariant CurOperatorID;

    // The operator with this ID was saved under this name: when that is the logged-in
    // operator, CurUserName and the name chosen in the list follow.
    void operatorSaved(const QVariant& id, const QString& name);

    // True when the logged-in operator has the right (a column of Operator); otherwise shows
    // "您的权限不够，不能完成此项功能！" and returns false, and the command stops.
    bool CheckOperatorRight(const QString& right);
    // The same test without a message, for what a window offers at all.
    bool operatorHasRight(const QString& right);

    // The operators as last read; the operators window re-reads it when it closes.
    Dataset* TBLogin = nullptr;

    QComboBox* UserName; // 用户：
    QLineEdit* Password; // 口令：
    QPushButton* BtYes;  // 确定
    QPushButton* BtNo;   // 退出

Q_SIGNALS:
    void loggedIn(const QString& name);
    // The logged-in operator was given another name.
    void operatorRenamed(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildInputs();
    void FormShow();
    void fillNames();
    void UserNameCloseUp();
    void BtYesClick();
    void BtNoClick();
};
