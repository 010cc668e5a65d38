#include "recordhost.h"

#include "data/tdmod.h"
#include "platform/gui/modal.h"
#include "shell/appcontext.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>

RecordHost::RecordHost(const RecordLayout& layout, const QString& objectName, QWidget* parent)
    : QDialog(parent), m_layout(layout) {
    setObjectName(objectName);
}

RecordHost::~RecordHost() = default;

void RecordHost::bindData(TDMod* dm) {
    m_dm = dm;
    m_record.reset();
}

ContractRecord& RecordHost::QuickRep1() {
    if (!m_record) {
        if (!m_dm)
            m_dm = app().DMod;
        m_record = std::make_unique<ContractRecord>(m_layout, *m_dm);
    }
    return *m_record;
}

int RecordHost::print(QPagedPaintDevice& device) {
    return QuickRep1().print(device);
}

QString RecordHost::fileNameFor(const QString& contractNumber) {
    static const QString unsafe = QStringLiteral("%/\\:*?\"<>|");
    QString name;
    for (qsizetype i = 0; i < contractNumber.size(); ++i) {
        const QChar ch = contractNumber.at(i);
        // Windows also refuses a name that ends in a dot or a space
        const bool last = i == contractNumber.size() - 1;
        if (ch.unicode() < 0x20 || unsafe.contains(ch) ||
            (last && (ch == QLatin1Char('.') || ch == QLatin1Char(' '))))
            name += QLatin1Char('%') +
                    QString::number(ch.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            name += ch;
    }
    return QStringLiteral("合同记录-%1.pdf").arg(name);
}

void RecordHost::preview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setCopyCount(1);
    // the print dialog proposes the document's name as the file to print to
    QuickRep1();
    printer.setDocName(
        fileNameFor(m_dm->TBCompacter->fieldByName(QStringLiteral("合同编号"))->displayText()));
    QuickRep1().setUp(printer);
    // over the window that asked for it (the editor), not over the main window behind it
    QWidget* over = QApplication::activeModalWidget();
    QPrintPreviewDialog dialog(&printer, over ? over : parentWidget());
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    dialog.resize(1000, 720);
    // every request (first showing, printer set-up, printing) builds the record afresh
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { print(*p); });
    Modal::exec(&dialog);
}
