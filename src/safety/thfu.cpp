#include "thfu.h"

#include "data/registerrestore.h"
#include "data/tdmod.h"
#include "folderbrowser.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "progressshown.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"
#include "winpath.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>

namespace {

const QString Failed = QStringLiteral("您所恢复的数据库有误，恢复失败！");

QFont bold(QFont font) {
    font.setBold(true);
    return font;
}

// A file the user knows by its Windows-style path when it has one.
QString shown(const QString& realPath) {
    const QString windows = WinPath::fromReal(realPath);
    return windows.isEmpty() ? QDir::toNativeSeparators(realPath) : windows;
}

} // namespace

THFu::THFu(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HFu"));
    setWindowTitle(QStringLiteral("数据恢复"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);

    m_browser = new FolderBrowser(this);
    DriveComboBox1 = m_browser->DriveComboBox1;
    DirectoryListBox1 = m_browser->DirectoryListBox1;
    FileListBox1 = m_browser->FileListBox1;
    Button1 = new QPushButton(QStringLiteral("确认恢复"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(bold(Button1->font()));
    Button1->setAutoDefault(false);

    auto* label = new QLabel(QStringLiteral("请选择您要恢复的数据文件："), this);
    label->setFont(bold(label->font()));
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    m_browser->addTo(grid, 1);
    grid->addWidget(Button1, 3, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(Button1, &QPushButton::clicked, this, &THFu::Button1Click);
}

void THFu::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void THFu::FormShow() {
    m_browser->rereadDrives();
    m_browser->goToBackupFolder();
    m_browser->rereadFiles();
}

void THFu::Button1Click() {
    const QString name = m_browser->selectedFile();
    if (name.isEmpty() || QFileInfo(name).suffix().isEmpty()) {
        Dialogs::message(QStringLiteral("信息提示"), QStringLiteral("请选择您想要恢复的备份文件!"),
                         Dialogs::Icon::None, Dialogs::Button::Ok);
        FileListBox1->setFocus();
        return;
    }
    // the name as the list shows it: a backslash in it is part of the name, not a folder
    if (!restore(QDir(Paths::mapped(m_browser->folder())).filePath(name)))
        return;
    hide();
    Dialogs::plain(QStringLiteral("数据已成功恢复！"));
    showContracts();
    accept();
}

bool THFu::restore(const QString& picked) {
    std::vector<Dataset*> login;
    if (app().Login && app().Login->TBLogin)
        login.push_back(app().Login->TBLogin);
    RegisterRestore restore(*app().DMod, login);
    try {
        ProgressShown progress(this, QStringLiteral("正在恢复数据，请稍候……"));
        restore.run(picked, progress.callback());
        return true;
    } catch (const RegisterRestore::Refused& e) {
        Dialogs::message(QStringLiteral("错误警示"), Failed + QStringLiteral("\r\n") + e.text(),
                         Dialogs::Icon::None, Dialogs::Button::Ok);
    } catch (const DurableFile::FileError& e) {
        Dialogs::message(QStringLiteral("错误警示"),
                         QStringLiteral("恢复失败，原数据库未作改动。\r\n%1\r\n%2")
                             .arg(shown(e.path()), e.reason()),
                         Dialogs::Icon::None, Dialogs::Button::Ok);
    } catch (const DataError& e) {
        Dialogs::showError(e.text());
    }
    showContracts();
    return false;
}

void THFu::showContracts() {
    TfrmCompactManager* main = app().frmCompactManager;
    TDMod* dm = app().DMod;
    if (!main || !dm || !dm->TBCompacter->isActive())
        return;
    if (main->activeTab() == 0)
        dm->TBCompacter->setSort(QStringLiteral("合同编号"));
    main->setCountText(dm->countText());
}
