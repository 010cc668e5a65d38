#pragma once
// The backup window: a checked copy of the open register at a path the user names, by default
// a dated copy in D:\ZanbookBack.
#include <QDialog>

class FolderBrowser;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

class TBFen : public QDialog {
    Q_OBJECT
public:
    explicit TBFen(QWidget* parent = nullptr);

    // "Hestrel", today as yyyymmdd, ".mdb".
    static QString proposedName();

    QComboBox* DriveComboBox1;
    QTreeWidget* DirectoryListBox1;
    QListWidget* FileListBox1;
    QLineEdit* Edit1;     // 备份数据文件名称 ：
    QPushButton* Button1; // 确定备份

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void DirectoryListBox1Change();
    void FileListBox1Click();
    void Button1Click();
    // Copies to the path in the name box; false (after its message) when no copy was made.
    bool copyTo(const QString& target);

    FolderBrowser* m_browser;
};
