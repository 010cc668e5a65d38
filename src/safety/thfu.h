#pragma once
// The restore window: puts a backup picked in the file list in the place of the register and
// opens every dataset on it again, without a restart.
#include <QDialog>

class FolderBrowser;
class QComboBox;
class QListWidget;
class QPushButton;
class QTreeWidget;

class THFu : public QDialog {
    Q_OBJECT
public:
    explicit THFu(QWidget* parent = nullptr);

    QComboBox* DriveComboBox1;
    QTreeWidget* DirectoryListBox1;
    QListWidget* FileListBox1;
    QPushButton* Button1; // 确认恢复

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Button1Click();
    // Runs the restore; false (after its message) when the previous register stays.
    bool restore(const QString& picked);
    // The main window after the datasets were opened again: order and count of its list.
    void showContracts();

    FolderBrowser* m_browser;
};
