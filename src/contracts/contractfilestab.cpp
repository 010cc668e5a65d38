#include "contractfilestab.h"

#include "components/dbgrid.h"
#include "data/contractfiles.h"
#include "data/tdmod.h"
#include "editorparts.h"
#include "platform/dialogs.h"
#include "platform/gui/shellopen.h"
#include "safety/progressshown.h"
#include "shell/appcontext.h"
#include "shell/tlogin.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

using namespace EditorParts;

namespace {

// Files this large are read with a progress dialog that can stop the add.
constexpr qint64 ProgressFrom = 4LL * 1024 * 1024;

const QString Filter = QStringLiteral(
    "合同文件 (*.pdf *.ofd *.jpg *.jpeg *.png *.tif *.tiff *.bmp *.gif *.doc *.docx *.xls *.xlsx "
    "*.wps *.et *.odt *.ods *.txt);;所有文件 (*)");

// The store's refusals and the disk's failures, as the user reads them.
void attempt(const std::function<void()>& work) {
    try {
        work();
    } catch (const DataError& e) {
        Dialogs::message(QStringLiteral("错误提示"), e.text(), Dialogs::Icon::Error,
                         Dialogs::Button::Ok);
    }
}

void inform(const QString& text) {
    Dialogs::message(QStringLiteral("提示信息"), text, Dialogs::Icon::Information,
                     Dialogs::Button::Ok);
}

} // namespace

const QString ContractFilesTab::Caption = QStringLiteral("合同附件");

ContractFilesTab::ContractFilesTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FilesTab"));
    auto* layout = new QVBoxLayout(this);
    FilesGrid = nullptr;
    FilesNote = named(new QLabel(this), QStringLiteral("FilesNote"));
    FilesNote->setWordWrap(true);
    AddFileButton = button(QStringLiteral("添加文件..."), QStringLiteral("AddFileButton"), this);
    OpenFileButton = button(QStringLiteral("打开"), QStringLiteral("OpenFileButton"), this);
    SaveFileButton = button(QStringLiteral("另存为..."), QStringLiteral("SaveFileButton"), this);
    RemoveFileButton = button(QStringLiteral("删除"), QStringLiteral("RemoveFileButton"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {AddFileButton, OpenFileButton, SaveFileButton, RemoveFileButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addWidget(FilesNote);
    layout->addLayout(buttons);
    connect(AddFileButton, &QPushButton::clicked, this, &ContractFilesTab::addFile);
    connect(OpenFileButton, &QPushButton::clicked, this, &ContractFilesTab::openFile);
    connect(SaveFileButton, &QPushButton::clicked, this, &ContractFilesTab::saveFileAs);
    connect(RemoveFileButton, &QPushButton::clicked, this, &ContractFilesTab::removeFile);
    updateControls();
}

ContractFilesTab::~ContractFilesTab() {
    delete FilesGrid; // before the list it shows
}

void ContractFilesTab::bind(TDMod* dmod) {
    delete FilesGrid;
    m_dmod = dmod;
    m_list = std::make_unique<Dataset>(dmod->database(), QStringLiteral("TBFiles"));
    defineList();
    FilesGrid = named(new DBGrid(m_list.get(), this), QStringLiteral("FilesGrid"));
    FilesGrid->setAccessibleName(Caption);
    FilesGrid->setColumns({{QStringLiteral("文件名"), {}, 26},
                           {QStringLiteral("大小"), {}, 9},
                           {QStringLiteral("添加日期"), {}, 16},
                           {QStringLiteral("添加人"), {}, 8}});
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, FilesGrid, 1);
    connect(FilesGrid, &DBGrid::rowDoubleClicked, this, &ContractFilesTab::openFile);
    m_contractId = QVariant();
    updateControls();
}

void ContractFilesTab::defineList() {
    auto text = [](const char* name) {
        FieldDef def;
        def.name = QString::fromUtf8(name);
        def.readOnly = true;
        return def;
    };
    FieldDef id = text("ID");
    id.type = FieldType::Integer;
    id.hidden = true;
    FieldDef bytes = text("字节数");
    bytes.type = FieldType::Integer;
    bytes.hidden = true;
    FieldDef size = text("大小");
    size.calculate = [](const Record& r) {
        return QVariant(ContractFiles::sizeText(r.value(QStringLiteral("字节数")).toLongLong()));
    };
    for (const FieldDef& def : {id, text("文件名"), bytes, size, text("添加日期"), text("添加人")})
        m_list->addField(def);
}

void ContractFilesTab::showContract(const QVariant& compactId) {
    m_contractId = compactId;
    reload();
}

void ContractFilesTab::setEditable(bool editable) {
    m_editable = editable;
    updateControls();
}

void ContractFilesTab::reload(const QVariant& selectId) {
    if (!m_list)
        return;
    m_list->close();
    if (!m_contractId.isNull() && ContractFiles::Store(m_dmod->database()).available()) {
        m_list->setSql(QStringLiteral("SELECT ID, 文件名, 大小 AS 字节数, substr(添加日期, 1, 16) "
                                      "AS 添加日期, 添加人 FROM CompactFile WHERE CompactID = ? "
                                      "ORDER BY ID"),
                       {m_contractId});
        m_list->open();
        if (!selectId.isNull())
            m_list->locate(QStringLiteral("ID"), selectId);
    }
    updateControls();
}

void ContractFilesTab::updateControls() {
    const bool stored = !m_contractId.isNull();
    const bool available = m_dmod && ContractFiles::Store(m_dmod->database()).available();
    const bool any = m_list && m_list->isActive() && !m_list->isEmpty();
    AddFileButton->setEnabled(m_editable && stored && available);
    RemoveFileButton->setEnabled(m_editable && any);
    OpenFileButton->setEnabled(any);
    SaveFileButton->setEnabled(any);
    if (m_dmod && !available)
        FilesNote->setText(QStringLiteral("这个数据库不能存放文件。"));
    else if (!stored)
        FilesNote->setText(QStringLiteral("合同保存后才能添加文件。"));
    else if (m_editable)
        FilesNote->setText(QStringLiteral("添加或删除文件立即存入数据库，不必按“保存”，"
                                          "按“取消”也不会撤销。"));
    else
        FilesNote->setText(QStringLiteral("按“修改”后可以添加或删除文件。"));
}

QString ContractFilesTab::operatorName() const {
    return app().Login ? app().Login->CurUserName : QString();
}

qint64 ContractFilesTab::currentId() const {
    return m_list->value(QStringLiteral("ID")).toLongLong();
}

QString ContractFilesTab::currentName() const {
    return m_list->value(QStringLiteral("文件名")).toString();
}

// ---------------------------------------------------------------- commands

void ContractFilesTab::addFile() {
    if (!AddFileButton->isEnabled())
        return;
    const QString path = Dialogs::openFileName(QStringLiteral("添加合同文件"), {}, Filter);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.size() > ContractFiles::MaxBytes) {
        inform(ContractFiles::tooLargeText(info.fileName(), info.size()));
        return;
    }
    ContractFiles::Store store(m_dmod->database());
    const qint64 contract = m_contractId.toLongLong();
    std::optional<qint64> added;
    attempt([&] {
        if (info.size() < ProgressFrom) {
            added = store.addFile(contract, path, operatorName());
            return;
        }
        ProgressShown progress(window(), QStringLiteral("正在存入文件“%1”……").arg(info.fileName()),
                               ProgressShown::Stop::Offered);
        added = store.addFile(contract, path, operatorName(), [&](qint64 done, qint64 total) {
            progress.report(done, total);
            return !progress.stopped();
        });
    });
    reload(added ? QVariant(*added) : QVariant());
}

void ContractFilesTab::openFile() {
    if (!OpenFileButton->isEnabled())
        return;
    const qint64 id = currentId();
    const QString name = currentName();
    attempt([&] {
        const QString copy = viewerCopy(id, name);
        if (!Shell::open(copy))
            inform(QStringLiteral("没有可以打开文件“%1”的程序。").arg(name));
    });
}

QString ContractFilesTab::viewerCopy(qint64 id, const QString& name) {
    if (!m_copies)
        m_copies = std::make_unique<QTemporaryDir>(
            QDir::temp().filePath(QStringLiteral("qintara-files-XXXXXX")));
    const QString folder = m_copies->filePath(QString::number(id));
    if (!m_copies->isValid() || !QDir().mkpath(folder))
        throw DataError(QStringLiteral("无法建立临时文件夹。"));
    const QString copy = QDir(folder).filePath(QFileInfo(name).fileName());
    QFile::remove(copy); // an earlier copy, read-only
    ContractFiles::Store(m_dmod->database()).extract(id, copy);
    // the viewer shows the stored file; changes there would never reach the register
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    return copy;
}

void ContractFilesTab::saveFileAs() {
    if (!SaveFileButton->isEnabled())
        return;
    const qint64 id = currentId();
    const QString target =
        Dialogs::saveFileName(QStringLiteral("另存合同文件"), currentName(), QString());
    if (target.isEmpty())
        return;
    attempt([&] { ContractFiles::Store(m_dmod->database()).extract(id, target); });
}

void ContractFilesTab::removeFile() {
    if (!RemoveFileButton->isEnabled())
        return;
    const qint64 id = currentId();
    if (!Dialogs::confirmDestructive(
            QStringLiteral("删除文件"),
            QStringLiteral("确实要从数据库中删除文件“%1”吗？删除后无法恢复。").arg(currentName())))
        return;
    attempt([&] { ContractFiles::Store(m_dmod->database()).remove(id); });
    reload();
}
