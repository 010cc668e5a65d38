#include "folderbrowser.h"

#include "platform/paths.h"
#include "winpath.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QRegularExpression>
#include <QStyle>
#include <QTreeWidget>

namespace {

const QString BackupFolder = QStringLiteral("D:\\ZanbookBack");
constexpr int PathRole = Qt::UserRole;

// The folders from the drive root down to folder: "D:\", "D:\a", "D:\a\b".
QStringList chain(const QString& folder) {
    QStringList result;
    const QString drive = WinPath::driveOf(folder);
    if (drive.isEmpty())
        return result;
    QString path = drive + QLatin1Char('\\');
    result << path;
    const QStringList parts =
        folder.mid(3).split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        path = WinPath::join(path, part);
        result << path;
    }
    return result;
}

} // namespace

FolderBrowser::FolderBrowser(QWidget* owner) : QObject(owner) {
    DriveComboBox1 = new QComboBox(owner);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setAccessibleName(QStringLiteral("驱动器"));
    DirectoryListBox1 = new QTreeWidget(owner);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("文件夹"));
    DirectoryListBox1->setHeaderHidden(true);
    DirectoryListBox1->setRootIsDecorated(false);
    DirectoryListBox1->setExpandsOnDoubleClick(false);
    // a list of folders, as the path runs, not a tree to fold
    DirectoryListBox1->setItemsExpandable(false);
    DirectoryListBox1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; }"));
    DirectoryListBox1->setIndentation(14);
    FileListBox1 = new QListWidget(owner);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setAccessibleName(QStringLiteral("文件"));

    connect(DriveComboBox1, &QComboBox::activated, this, &FolderBrowser::driveChosen);
    connect(DirectoryListBox1, &QTreeWidget::itemActivated, this, &FolderBrowser::folderActivated);
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this,
            &FolderBrowser::fileSelectionChanged);
    rereadDrives();
    QString start = WinPath::fromReal(QDir::currentPath());
    if (start.isEmpty())
        start = WinPath::fromReal(QFileInfo(Paths::databaseFile()).path());
    setFolder(start);
}

void FolderBrowser::addTo(QGridLayout* grid, int row) {
    grid->addWidget(DriveComboBox1, row, 0);
    grid->addWidget(DirectoryListBox1, row + 1, 0);
    grid->addWidget(FileListBox1, row, 1, 2, 1);
    DirectoryListBox1->setFixedSize(220, 200);
    FileListBox1->setFixedWidth(220);
}

void FolderBrowser::rereadDrives() {
    m_filling = true;
    DriveComboBox1->clear();
    DriveComboBox1->addItems(WinPath::drives());
    DriveComboBox1->setCurrentIndex(DriveComboBox1->findText(WinPath::driveOf(m_folder)));
    m_filling = false;
}

void FolderBrowser::setFolder(const QString& folder) {
    const bool changed = folder != m_folder;
    m_folder = folder;
    m_filling = true;
    DriveComboBox1->setCurrentIndex(DriveComboBox1->findText(WinPath::driveOf(folder)));
    m_filling = false;
    fillFolders();
    rereadFiles();
    if (changed)
        Q_EMIT folderChanged();
}

bool FolderBrowser::goToBackupFolder() {
    if (!WinPath::isFolder(BackupFolder) && !WinPath::createFolder(BackupFolder))
        return false;
    rereadDrives();
    setFolder(BackupFolder);
    return true;
}

void FolderBrowser::fillFolders() {
    DirectoryListBox1->clear();
    const QStyle* style = DirectoryListBox1->style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);
    QTreeWidgetItem* parent = nullptr;
    for (const QString& path : chain(m_folder)) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(DirectoryListBox1);
        item->setText(0, parent ? WinPath::namePart(path) : path);
        item->setData(0, PathRole, path);
        item->setIcon(0, open);
        parent = item;
    }
    if (!parent)
        return;
    const QDir here(Paths::mapped(m_folder));
    for (const QString& name :
         here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, name);
        item->setData(0, PathRole, WinPath::join(m_folder, name));
        item->setIcon(0, closed);
    }
    DirectoryListBox1->expandAll();
    DirectoryListBox1->setCurrentItem(parent);
}

void FolderBrowser::rereadFiles() {
    m_filling = true;
    FileListBox1->clear();
    if (!m_folder.isEmpty()) {
        QDir here(Paths::mapped(m_folder));
        here.setNameFilters({QStringLiteral("*.mdb")});
        here.setFilter(QDir::Files | QDir::Hidden | QDir::System);
        here.setSorting(QDir::Name | QDir::IgnoreCase);
        FileListBox1->addItems(here.entryList());
    }
    m_filling = false;
}

QString FolderBrowser::selectedFile() const {
    const QList<QListWidgetItem*> chosen = FileListBox1->selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

void FolderBrowser::driveChosen(int index) {
    if (!m_filling && index >= 0)
        setFolder(DriveComboBox1->itemText(index) + QLatin1Char('\\'));
}

void FolderBrowser::folderActivated(QTreeWidgetItem* item) {
    if (item)
        setFolder(item->data(0, PathRole).toString());
}

void FolderBrowser::fileSelectionChanged() {
    if (!m_filling && !selectedFile().isEmpty())
        Q_EMIT fileClicked();
}
