#include "tfrmcompactmanager.h"

TfrmCompactManager::TfrmCompactManager(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmCompactManager"));
    setWindowTitle(QStringLiteral("Qintara合同管理系统"));
}

void TfrmCompactManager::PageControl1Change() {}
int TfrmCompactManager::activeTab() const { return 0; }
void TfrmCompactManager::setCountText(const QString&) {}
