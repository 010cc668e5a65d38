// The main window's commands that open the other windows.
#include "tfrmcompactmanager.h"

#include "about/taboutfrm.h"
#include "appcontext.h"
#include "contracts/tchazhao.h"
#include "data/tdmod.h"
#include "history/txgjilu.h"
#include "masterdata/tbumengli.h"
#include "masterdata/tquanxfrm.h"
#include "masterdata/twldanwei.h"
#include "money/tfukfrm.h"
#include "money/tshkfrm.h"
#include "money/ttix.h"
#include "output/spreadsheetexport.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"
#include "platform/gui/shellopen.h"
#include "safety/tbfen.h"
#include "safety/thfu.h"
#include "tlogin.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>

namespace {
const QUrl ProductPage(QStringLiteral("qrc:/product/index.html"));

void openGuarded(const char* right, QDialog* window) {
    if (app().Login->CheckOperatorRight(QString::fromUtf8(right)))
        Modal::exec(window);
}
} // namespace

void TfrmCompactManager::SpeedButton8Click() {
    Modal::exec(app().ChaZhao);
}

void TfrmCompactManager::SpeedButton1Click() {
    if (m_dm)
        SpreadsheetExport::exportContracts(*m_dm);
}

void TfrmCompactManager::SpeedButton4Click() {
    Modal::exec(app().shkfrm);
}

void TfrmCompactManager::SpeedButton6Click() {
    Modal::exec(app().fukfrm);
}

void TfrmCompactManager::SpeedButton2Click() {
    app().TiX->showOnDemand();
}

void TfrmCompactManager::N3Click() {
    close();
}

void TfrmCompactManager::N6Click() {
    openGuarded("用户权限设置", app().quanxfrm);
}

void TfrmCompactManager::N7Click() {
    app().WLDanWei->Biaoji = false;
    Modal::exec(app().WLDanWei);
    // partners added or renamed there show in the partner tab at once
    if (m_dm && partnerTab(activeTab())) {
        m_dm->TBMarst->refresh();
        setCountText(m_dm->countText());
    }
}

void TfrmCompactManager::N8Click() {
    app().BuMenGLi->BMbji = false;
    Modal::exec(app().BuMenGLi);
}

// Proposes the current contract's number; another one, that of a deleted contract too, can be
// typed in the window.
void TfrmCompactManager::N18Click() {
    QString number;
    if (m_dm && m_dm->TBCompacter->isActive() && !m_dm->TBCompacter->isEmpty())
        number = m_dm->TBCompacter->value(QStringLiteral("合同编号")).toString();
    app().XGJiLu->showContract(number);
}

void TfrmCompactManager::N10Click() {
    openGuarded("数据备份", app().BFen);
}

void TfrmCompactManager::N11Click() {
    openGuarded("数据恢复", app().HFu);
}

// The document of the working directory, not of the program's folder; a missing document or
// one nothing can open is said, not passed over.
void TfrmCompactManager::N17Click() {
    const QString help = QDir::current().filePath(QStringLiteral("htHelp.doc"));
    const QString shown = QDir::toNativeSeparators(help);
    QString problem;
    if (!QFileInfo::exists(help))
        problem = QStringLiteral("找不到帮助文件：\r\n%1").arg(shown);
    else if (!Shell::open(help))
        problem =
            QStringLiteral("无法打开帮助文件：\r\n%1\r\n请确认系统中装有能打开.doc文件的程序。")
                .arg(shown);
    if (!problem.isEmpty())
        Dialogs::message(QStringLiteral("提示信息"), problem, Dialogs::Icon::Information,
                         Dialogs::Button::Ok);
}

void TfrmCompactManager::N5Click() {
    Modal::exec(app().AboutFrm);
}

// Every entry loads the page again.
void TfrmCompactManager::TabSheet4Show() {
    if (WebBrowser1->source() == ProductPage)
        WebBrowser1->reload();
    else
        WebBrowser1->setSource(ProductPage);
}
