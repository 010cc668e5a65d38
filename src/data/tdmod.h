#pragma once
// The data module: the one connection and every shared dataset with its fields and rules.
#include "changefeed.h"
#include "contracthistory.h"
#include "database.h"
#include "dataset.h"
#include "managerguard.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class ProfileFile;
struct MoneySide;

class TDMod : public QObject {
    Q_OBJECT
public:
    // Connects to the register and opens every dataset except those over the instalment views
    // (see reread) and the search query; throws DataError when the file cannot be used.
    explicit TDMod(const QString& databasePath, QObject* parent = nullptr);
    ~TDMod() override;

    Database& database() { return m_db; }
    // The change history that every write of a contract or an instalment adds to.
    ContractHistory& history() { return m_history; }

    void openAll();
    void closeAll();
    // The datasets a restore opens again (those of them that are open), in their order: the
    // search query only while it is open on its SQL; the reminder queries are opened by the
    // reminders themselves.
    std::vector<Dataset*> restoreOrder() const;

    // The datasets over the instalment views hold a million rows on a large register that the
    // first window does not show: they are read when a window first needs them. Opens a closed
    // dataset, re-reads an open one.
    static void reread(Dataset* dataset);
    // Reads TBFukuan or TBShoukuan with only the instalments still open (cc > 0) when the
    // "cc>0" filter is on, so a million rows are not read to show a tenth of them; with the
    // filter off, every row.
    void readInstalments(Dataset* detail);
    // The condition a reminder query adds to its own so that it reads only what the day filter
    // can pass: instalments due (contracts ending) before the horizon, which
    // updateReminderHorizon() sets from today and DayTXing before every read.
    QString reminderNarrowing(Dataset* reminders) const;
    void updateReminderHorizon();
    // Closes a reminder query and gives it the SQL of its reminders, narrowed: the open
    // instalments of its view, or the contracts with an end date that are not past it and
    // marked "执行完毕".
    void setReminderQuery(Dataset* reminders);
    // Whether a reminder query, on the SQL it now holds, yields a row that its day filter would
    // pass, without opening it: reads only the due dates, up to the first that passes.
    bool anyReminderDue(Dataset* reminders);

    // "共有  N  条记录".
    static QString countText(int records);
    QString countText() const { return countText(TBCompacter->recordCount()); }

    // Deletes the current contract with all its instalments and stored files in one
    // transaction, with their history: on failure the contract, its instalments, files and the
    // history stay as they were, and the error is thrown.
    void deleteContract();

    // The settings file the reminder filter reads; without one, the file beside the program.
    void setSettingsFile(ProfileFile* settings) { m_settings = settings; }
    int reminderDays() const;

    // The number the program proposed for the contract being added, and the rule that counts on
    // from a number: a save that finds the proposal taken by another operator meanwhile
    // proposes the next free number instead of refusing a duplicate.
    QString proposedNumber;
    std::function<std::optional<QString>(const QString&)> nextNumber;

Q_SIGNALS:
    // Another operator deleted this contract; sent before the lists drop it, so that a window
    // showing it can tell its user and close before it would show another contract.
    void contractDeletedElsewhere(const QVariant& key);

public:
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
    Dataset* TBHTiXing; // contracts coming to their end
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
    DataSource* DSHTiXing;
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
    void defineDetail(Dataset* ds, const MoneySide& side);
    void defineTotals(Dataset* ds, const MoneySide& side);
    void defineReminders(Dataset* ds, const MoneySide& side);
    // A reminder list over its query: the date that the day rule counts to, its amount and its
    // partner.
    void defineReminderList(Dataset* ds, const QString& date, const QString& amount,
                            const QString& partner);
    const QString& reminderDate(const Dataset* reminders) const;
    // The day filter's reading of the horizon and the clock, once per pass, and its rule.
    void startReminderPass();
    bool reminderPasses(const QVariant& due) const;
    void contractSaved();
    // Changes of other programs (tdmodchanges.cpp).
    void listenForChanges();
    void applyChange(const ChangeFeed::Change& change);
    void applyContract(const QVariant& key);
    void applyInstalment(Dataset* schedule, const MoneySide& side,
                         const ChangeFeed::Change& change);
    void applyPartner(const QVariant& key);
    void applyPartnerSums(const QVariant& before, const QVariant& after);
    void applyRestore();
    void catchUp();
    bool offerFreeNumber(Dataset& contracts);
    bool numberStored(const QString& number);

    Database m_db;
    ContractHistory m_history{m_db};
    ChangeFeed m_feed{m_db};
    ManagerGuard m_managers{m_db};
    QString m_unsureNumber; // a new contract whose save the server may have kept as the link broke
    QVariant m_unsureKey;   // a contract whose change the server may have kept as the link broke
    std::vector<std::unique_ptr<DataSource>> m_sources;
    ProfileFile* m_settings = nullptr;
    int m_passDays = 7;
    QDateTime m_passNow;
};
