#include "tlogin.h"

TLogin::TLogin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Login"));
    setWindowTitle(QStringLiteral("登录"));
}

bool TLogin::CheckOperatorRight(const QString&) { return false; }
