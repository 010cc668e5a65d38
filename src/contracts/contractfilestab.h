#pragma once
// The contract editor's tab "合同附件": the files kept in the register with the current
// contract (name, size, when and by whom added), opened with the desktop's viewer, saved
// elsewhere, added and removed. Adding and removing take effect at once, each in a transaction
// of its own, and only while the contract is stored and the editor edits it; the tab says so.
#include <QVariant>
#include <QWidget>
#include <memory>

class Dataset;
class DBGrid;
class QLabel;
class QPushButton;
class QTemporaryDir;
class TDMod;

class ContractFilesTab : public QWidget {
    Q_OBJECT
public:
    static const QString Caption; // "合同附件"

    explicit ContractFilesTab(QWidget* parent = nullptr);
    ~ContractFilesTab() override;

    void bind(TDMod* dmod);
    // Lists the files of the contract with this CompactID (null: a contract not yet saved).
    void showContract(const QVariant& compactId);
    // Whether files may be added and removed (the editor is adding or modifying).
    void setEditable(bool editable);

    // Handlers.
    void addFile();
    void openFile();
    void saveFileAs();
    void removeFile();

    DBGrid* FilesGrid;
    QLabel* FilesNote;
    QPushButton* AddFileButton;    // "添加文件..."
    QPushButton* OpenFileButton;   // "打开"
    QPushButton* SaveFileButton;   // "另存为..."
    QPushButton* RemoveFileButton; // "删除"

private:
    void defineList();
    void reload(const QVariant& selectId = {});
    void updateControls();
    QString operatorName() const;
    qint64 currentId() const;
    QString currentName() const;
    // A copy of the stored file for the viewer, in a folder removed with the editor.
    QString viewerCopy(qint64 id, const QString& name);

    TDMod* m_dmod = nullptr;
    std::unique_ptr<Dataset> m_list;
    std::unique_ptr<QTemporaryDir> m_copies;
    QVariant m_contractId;
    bool m_editable = false;
};
