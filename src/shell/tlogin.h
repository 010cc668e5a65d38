#pragma once
// The login dialog: picks an operator, checks the password, and answers the permission check.
#include <QDialog>

class TLogin : public QDialog {
    Q_OBJECT
public:
    explicit TLogin(QWidget* parent = nullptr);

    // The logged-in operator's name; empty until the first successful login.
    QString CurUserName;

    // True when the logged-in operator has the right (a column of Operator); otherwise shows
    // "您的权限不够，不能完成此项功能！" and returns false, and the command stops.
    bool CheckOperatorRight(const QString& right);
};
