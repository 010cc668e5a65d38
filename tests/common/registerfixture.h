#pragma once
// A fresh register at the program's own path below a temporary root, Settings.ini in the same
// folder, recorded message boxes, and helpers to put rows in the register directly.
#include "data/database.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"

#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

class RegisterFixture {
public:
    RegisterFixture();
    ~RegisterFixture();

    // The register's file, or its server URL in the server run of the tests.
    const QString& databasePath() const { return m_path; }
    QString settingsPath() const;
    // Runs one statement with bound values on a separate connection, before or beside TDMod.
    void exec(const QString& sql, const QVariantList& values = {});
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // A value read from the register as the file keeps it: a server's timestamp as the text
    // a file holds for it.
    static QVariant asStored(const QVariant& value);
    // The first column of every row, as text.
    QStringList firstColumn(const QString& sql, const QVariantList& values = {});
    int count(const QString& table, const QString& where = {}, const QVariantList& values = {});
    // Makes the register refuse every INSERT or DELETE (event) on table with message, or only
    // the rows a condition on NEW names; as another program's rule or a fault would.
    void refuse(const QString& event, const QString& table, const QString& message,
                const QString& condition = {});
    // A column or table name quoted as the register's store spells it.
    QString quoted(const QString& name) const;
    // Whether the register holds a table or view of that name, whatever its case.
    bool hasTable(const QString& name);
    // Gives the register the case-sensitive unique keys of registers made by earlier versions.
    void makeKeysCaseSensitive();
    // Deletes the register file, for the runs that must not find it.
    void removeDatabase();
    int addPartner(const QString& number, const QString& name, bool customer, bool supplier);
    // Returns the new contract's CompactID; amount in yuan, empty for none.
    int addContract(const QString& number, const QString& name, const QString& partner,
                    const QString& direction, const QVariant& amount = {});
    void addReceivable(int compactId, const QVariant& due, const QVariant& amount,
                       const QVariant& settled = 0);
    void addPayable(int compactId, const QVariant& due, const QVariant& amount,
                    const QVariant& settled = 0);
    // Stores a file with the contract as the editor does; returns its ID.
    qint64 addStoredFile(int compactId, const QString& name, const QByteArray& bytes);

    // Opens the data module over the register (after the rows above are in).
    TDMod& openModule();
    TDMod& module() { return *m_module; }
    Dialogs::RecordingBackend& dialogs() { return m_dialogs; }

private:
    int insert(const QString& sql, const QVariantList& values);

    QTemporaryDir m_dir;
    QString m_path;
    Database m_db;
    std::unique_ptr<TDMod> m_module;
    Dialogs::ScopedRecording m_dialogs;
};

// Money as the store keeps it.
inline qlonglong units(double yuan) {
    return qlonglong(yuan * 10000 + (yuan < 0 ? -0.5 : 0.5));
}
