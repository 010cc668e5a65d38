#pragma once
// The window that holds one printed-record layout: created at start and never shown itself,
// it builds the record of the current contract and shows it in the print preview.
#include "contractrecord.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QPagedPaintDevice;
class QPrintPreviewDialog;
class TDMod;

class RecordHost : public QDialog {
    Q_OBJECT
public:
    RecordHost(const RecordLayout& layout, const QString& objectName, QWidget* parent);
    ~RecordHost() override;

    // The data module whose current contract is printed; app().DMod when never set.
    void bindData(TDMod* dm);

    // Shows the record in the print preview (pages, printer set-up, printing, PDF); returns
    // when the preview is closed.
    void preview();
    // Prints the record onto a device set up as A4 landscape; returns the pages printed.
    int print(QPagedPaintDevice& device);

    // The layout, built on first use.
    ContractRecord& QuickRep1();

    // The file name the print dialog proposes for a contract's record, "合同记录-<number>.pdf":
    // characters that a file name cannot hold, and "%", are written as %XX, so no two contract
    // numbers share a name and the number can be read back from it.
    static QString fileNameFor(const QString& contractNumber);

private:
    const RecordLayout& m_layout;
    QPointer<TDMod> m_dm;
    std::unique_ptr<ContractRecord> m_record;
};
