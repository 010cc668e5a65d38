#pragma once
// The data module: the one connection and every shared dataset with its fields and rules.
#include "database.h"
#include "dataset.h"

#include <QObject>
#include <functional>
#include <memory>

class ProfileFile;

class TDMod : public QObject {
    Q_OBJECT
public:
    // Connects to the register and opens every dataset; throws DataError when the file cannot
    // be used.
    explicit TDMod(const QString& databasePath, QObject* parent = nullptr);
    ~TDMod() override;

    Database& database() { return m_db; }

    void openAll();
    void closeAll();
    // The datasets a restore opens again, in their order: the search query only while it is
    // open on its SQL; the two reminder queries are opened by the reminders themselves.
    std::vector<Dataset*> restoreOrder() const;

    // "共有  N  条记录".
    static QString countText(int records);
    QString countText() const { return countText(TBCompacter->recordCount()); }

    // Deletes the current contract with all its instalments in one transaction: on failure the
    // contract and every instalment stay as they were, and the error is thrown.
    void deleteContract();

    // The settings file the reminder filter reads; without one, the file beside the program.
    void setSettingsFile(ProfileFile* settings) { m_settings = settings; }
    int reminderDays() const;

    // Effects on windows, set by the windows that own them.
    std::function<void(const QString&)> showCountText;
    std::function<void()> receivableTotals;
    std::function<void()> payableTotals;
    std::function<double()> receivablePercent;
    std::function<double()> payablePercent;
    std::function<void()> operatorCancel;

    Dataset* TBCompacter;
    Dataset* TBSKJiLu;
    Dataset* TBFKJiLu;
    Dataset* TBServer;
    Dataset* TBDepartment;
    Dataset* TBOperator;
    Dataset* TBCompactType;
    Dataset* TBYinHuaShui;
    Dataset* TBMarst;
    Dataset* TBShoukuan;
    Dataset* TBFukuan;
    Dataset* TBShouKuanZong;
    Dataset* TBFuKuanZong;
    Dataset* TBSTiXing;
    Dataset* TBFTiXing;
    Dataset* TBQuery;

    DataSource* DSCompacter;
    DataSource* DSSKJiLu;
    DataSource* DSFKJiLu;
    DataSource* DSServer;
    DataSource* DSDepartment;
    DataSource* DSOperator;
    DataSource* DSCompactType;
    DataSource* DSYinHuaShui;
    DataSource* DSMarst;
    DataSource* DSShoukuan;
    DataSource* DSFukuan;
    DataSource* DSShouKuanZong;
    DataSource* DSFuKuanZong;
    DataSource* DSSTiXing;
    DataSource* DSFTiXing;
    DataSource* DSQuery;

    // The days-left rule, for a due date (null: none) at a moment.
    static int daysLeft(const QVariant& due, const QDateTime& now);

private:
    struct Schedule; // the receivable or payable side of the instalment rules

    Dataset* makeDataset(const QString& name, DataSource*& source);
    void defineContracts();
    void defineSchedule(Dataset* ds, const Schedule& side);
    void defineMasterData();
    void defineViews();
    void defineReminders(Dataset* ds, const QString& dueField, const QString& partnerField);
    void defineTotals(Dataset* ds, const QString& prefix, const QString& due, const QString& done);
    void contractSaved();

    Database m_db;
    std::vector<std::unique_ptr<DataSource>> m_sources;
    ProfileFile* m_settings = nullptr;
    mutable int m_passDays = 7;
};
