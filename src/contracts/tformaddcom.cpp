#include "tformaddcom.h"

TFormAddCom::TFormAddCom(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAddCom"));
    setWindowTitle(QStringLiteral("合同增加"));
}

void TFormAddCom::UnlockCompactFields() {}
