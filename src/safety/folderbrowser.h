#pragma once
// The drive selector, folder list and file list ("*.mdb") that the backup and restore windows
// share, over the program's Windows-style paths. Choosing a drive moves the folder list to
// that drive's root; activating a folder (double-click or Enter) makes it current; the file
// list follows the current folder.
#include <QObject>
#include <QString>

class QComboBox;
class QGridLayout;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class FolderBrowser : public QObject {
    Q_OBJECT
public:
    // The controls are made as children of owner, standing in the program's current folder
    // (or, when that lies on no drive, the register's).
    explicit FolderBrowser(QWidget* owner);
    // Lays the controls out in two rows from row: the drive selector above the folder list,
    // the file list beside both.
    void addTo(QGridLayout* grid, int row);

    QComboBox* DriveComboBox1;
    QTreeWidget* DirectoryListBox1;
    QListWidget* FileListBox1;

    // "D:\" for a drive root, else "D:\ZanbookBack" (no closing "\").
    const QString& folder() const { return m_folder; }
    // Moves the drive selector and the folder list there; folderChanged when it is another.
    void setFolder(const QString& folder);
    // The default folder "D:\ZanbookBack", when it exists or can be made now (one folder on
    // drive D); false (nothing moved) otherwise.
    bool goToBackupFolder();
    void rereadDrives();
    void rereadFiles();
    // The name of the file selected in the file list; empty when none is.
    QString selectedFile() const;

Q_SIGNALS:
    void folderChanged();
    void fileClicked();

private:
    void fillFolders();
    void driveChosen(int index);
    void folderActivated(QTreeWidgetItem* item);
    void fileSelectionChanged();

    QString m_folder;
    bool m_filling = false;
};
