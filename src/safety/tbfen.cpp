#include "tbfen.h"

#include "data/registerbackup.h"
#include "data/tdmod.h"
#include "folderbrowser.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "progressshown.h"
#include "shell/appcontext.h"
#include "winpath.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>

TBFen::TBFen(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BFen"));
    setWindowTitle(QStringLiteral("数据备份"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    m_browser = new FolderBrowser(this);
    DriveComboBox1 = m_browser->DriveComboBox1;
    DirectoryListBox1 = m_browser->DirectoryListBox1;
    FileListBox1 = m_browser->FileListBox1;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("备份数据文件名称"));
    Button1 = new QPushButton(QStringLiteral("确定备份"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("请选择您要备份数据的存放位置："), this), 0, 0, 1, 2);
    m_browser->addTo(grid, 1);
    grid->addWidget(new QLabel(QStringLiteral("备份数据文件名称 ："), this), 3, 0, 1, 2);
    grid->addWidget(Edit1, 4, 0, 1, 2);
    grid->addWidget(Button1, 5, 1, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_browser, &FolderBrowser::folderChanged, this, &TBFen::DirectoryListBox1Change);
    connect(m_browser, &FolderBrowser::fileClicked, this, &TBFen::FileListBox1Click);
    connect(Button1, &QPushButton::clicked, this, &TBFen::Button1Click);
}

QString TBFen::proposedName() {
    return QStringLiteral("Hestrel") + Clock::today().toString(QStringLiteral("yyyyMMdd")) +
           QStringLiteral(".mdb");
}

void TBFen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TBFen::FormShow() {
    m_browser->rereadDrives();
    m_browser->goToBackupFolder();
    Edit1->setText(WinPath::join(m_browser->folder(), proposedName()));
}

// The name stays, the folder is the new one.
void TBFen::DirectoryListBox1Change() {
    Edit1->setText(WinPath::join(m_browser->folder(), WinPath::namePart(Edit1->text())));
}

void TBFen::FileListBox1Click() {
    Edit1->setText(WinPath::join(m_browser->folder(), m_browser->selectedFile()));
}

void TBFen::Button1Click() {
    const QString target = Edit1->text();
    if (target.isEmpty()) {
        Dialogs::message(QStringLiteral("信息提示"),
                         QStringLiteral("请输入您要备份的数据文件的名称!"), Dialogs::Icon::None,
                         Dialogs::Button::Ok);
        return;
    }
    const QString folder = WinPath::folderPart(target);
    if (!WinPath::isFolder(folder) && !WinPath::createFolder(folder)) {
        Dialogs::plain(QStringLiteral("备份失败，备份路径错误！"));
        return;
    }
    if (!copyTo(target))
        return;
    m_browser->rereadFiles();
    hide();
    Dialogs::plain(QStringLiteral("数据已成功备份至:\r\n") + target);
    accept();
}

bool TBFen::copyTo(const QString& target) {
    auto failed = [&target](const QString& reason) {
        Dialogs::message(QStringLiteral("错误提示"),
                         QStringLiteral("备份失败！\r\n%1\r\n%2").arg(target, reason),
                         Dialogs::Icon::Error, Dialogs::Button::Ok);
        return false;
    };
    if (!WinPath::isValidName(WinPath::namePart(target)))
        return failed(QStringLiteral("文件名无效"));
    const QString real = Paths::mapped(target);
    auto backup = [this, &real](bool overwrite) {
        ProgressShown progress(this, QStringLiteral("正在备份数据，请稍候……"));
        return RegisterBackup::run(app().DMod->database(), real, overwrite, progress.callback());
    };
    try {
        if (backup(false) == RegisterBackup::Result::Done)
            return true;
        if (!Dialogs::confirmDestructive(QStringLiteral("已存在文件"),
                                         target + QStringLiteral("已经存在!是否覆盖?")))
            return false;
        backup(true);
        return true;
    } catch (const DurableFile::FileError& e) {
        return failed(e.reason());
    }
}
