#pragma once
// The contract editor: add, view and modify one contract with its schedules.
#include <QDialog>

class TFormAddCom : public QDialog {
    Q_OBJECT
public:
    explicit TFormAddCom(QWidget* parent = nullptr);

    // Makes the fourteen contract controls editable and shows the file picker (add mode).
    void UnlockCompactFields();
};
