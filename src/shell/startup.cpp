#include "startup.h"

#include "about/taboutfrm.h"
#include "appcontext.h"
#include "contracts/tchazhao.h"
#include "contracts/tformaddcom.h"
#include "data/registeraddress.h"
#include "data/tdmod.h"
#include "firststart.h"
#include "masterdata/tbumengli.h"
#include "masterdata/tquanxfrm.h"
#include "masterdata/twldanwei.h"
#include "money/tfukfrm.h"
#include "money/tshkfrm.h"
#include "money/ttix.h"
#include "output/tfkprint.h"
#include "output/tqtprint.h"
#include "output/tskprint.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "programexit.h"
#include "safety/registeratstart.h"
#include "safety/tbfen.h"
#include "safety/thfu.h"
#include "tcloseform.h"
#include "tfrmcompactmanager.h"
#include "tlogin.h"

#include "history/txgjilu.h"

#include <QApplication>

namespace {

template <class T> void destroy(T*& object) {
    delete object;
    object = nullptr;
}

} // namespace

void applyProgramFont() {
    // stands for 宋体, so every Chinese text has its glyphs
    QFont font(QStringLiteral("Noto Serif CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

Startup::Startup() {
    ProgramExit::reset();
}

Startup::~Startup() {
    AppContext& c = app();
    // the dialogs are children of the main window: each goes before it, the data module last
    destroy(c.XGJiLu);
    destroy(c.QTPrint);
    destroy(c.SKPrint);
    destroy(c.FKPrint);
    destroy(c.HFu);
    destroy(c.BFen);
    destroy(c.CloseForm);
    destroy(c.ChaZhao);
    destroy(c.BuMenGLi);
    destroy(c.WLDanWei);
    destroy(c.quanxfrm);
    destroy(c.shkfrm);
    destroy(c.fukfrm);
    destroy(c.Login);
    destroy(c.AboutFrm);
    destroy(c.FormAddCom);
    destroy(c.TiX);
    destroy(c.frmCompactManager); // releases SettingsFile
    destroy(c.DMod);
    c = AppContext();
}

bool Startup::run() {
    ProgramExit::reset();
    // the lock and a stopped restore come first: a register put back is no first start; a
    // register on a server has neither lock file nor first start, the server keeps it
    const bool server = RegisterAddress::isServer(Paths::registerAddress());
    if (!server && (!RegisterAtStart::prepare(m_lock) || !FirstStart::prepare()))
        return false;
    AppContext& c = app();
    c.frmCompactManager = new TfrmCompactManager;
    if (!c.frmCompactManager->FormCreate() || !createWindows())
        return false;
    c.frmCompactManager->showWindow();
    return !ProgramExit::requested();
}

bool Startup::createWindows() {
    AppContext& c = app();
    TfrmCompactManager* main = c.frmCompactManager;
    c.TiX = new TTiX(main);
    c.FormAddCom = new TFormAddCom(main);
    c.AboutFrm = new TAboutFrm(main);
    c.Login = new TLogin(main);
    if (!createDataModule())
        return false;
    c.fukfrm = new Tfukfrm(main);
    c.shkfrm = new Tshkfrm(main);
    c.quanxfrm = new Tquanxfrm(main);
    c.WLDanWei = new TWLDanWei(main);
    c.BuMenGLi = new TBuMenGLi(main);
    c.ChaZhao = new TChaZhao(main);
    c.CloseForm = new TCloseForm(main);
    c.BFen = new TBFen(main);
    c.HFu = new THFu(main);
    c.FKPrint = new TFKPrint(main);
    c.SKPrint = new TSKPrint(main);
    c.QTPrint = new TQTPrint(main);
    c.XGJiLu = new TXGJiLu(*c.DMod, main);
    return true;
}

// The windows made before the data module bind to it as soon as it is there.
bool Startup::createDataModule() {
    AppContext& c = app();
    try {
        c.DMod = new TDMod(Paths::registerAddress());
    } catch (const DataError& e) {
        // the text names the file and why it cannot be used; the user knows the file by the
        // program's own path, not by the folder that stands for its drive on this machine
        QString text = e.text();
        text.replace(Paths::databaseFile(), Paths::databaseName());
        Dialogs::message(QStringLiteral("警告"), text, Dialogs::Icon::Warning, Dialogs::Button::Ok);
        return false;
    }
    c.frmCompactManager->bindData(*c.DMod);
    c.Login->bindData(c.DMod->database());
    // the history names whoever is logged in when a change is written
    c.DMod->history().operatorName = [] { return app().Login->CurUserName; };
    QObject::connect(c.Login, &TLogin::loggedIn, c.frmCompactManager,
                     &TfrmCompactManager::setOperator);
    QObject::connect(c.Login, &TLogin::operatorRenamed, c.frmCompactManager,
                     &TfrmCompactManager::setOperator);
    return true;
}
