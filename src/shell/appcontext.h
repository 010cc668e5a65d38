#pragma once
// The long-lived windows and the data module, reached by their class names as the entry
// sequence creates them once per run.
class TDMod;
class ProfileFile;
class TfrmCompactManager;
class TTiX;
class TFormAddCom;
class TAboutFrm;
class TLogin;
class Tfukfrm;
class Tshkfrm;
class Tquanxfrm;
class TWLDanWei;
class TBuMenGLi;
class TChaZhao;
class TCloseForm;
class TBFen;
class THFu;
class TFKPrint;
class TSKPrint;
class TQTPrint;
class TXGJiLu;

struct AppContext {
    TDMod* DMod = nullptr;
    TfrmCompactManager* frmCompactManager = nullptr;
    TTiX* TiX = nullptr;
    TFormAddCom* FormAddCom = nullptr;
    TAboutFrm* AboutFrm = nullptr;
    TLogin* Login = nullptr;
    Tfukfrm* fukfrm = nullptr;
    Tshkfrm* shkfrm = nullptr;
    Tquanxfrm* quanxfrm = nullptr;
    TWLDanWei* WLDanWei = nullptr;
    TBuMenGLi* BuMenGLi = nullptr;
    TChaZhao* ChaZhao = nullptr;
    TCloseForm* CloseForm = nullptr;
    TBFen* BFen = nullptr;
    THFu* HFu = nullptr;
    TFKPrint* FKPrint = nullptr;
    TSKPrint* SKPrint = nullptr;
    TQTPrint* QTPrint = nullptr;
    TXGJiLu* XGJiLu = nullptr;
};

AppContext& app();
