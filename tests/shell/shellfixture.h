#pragma once
// A whole program run without its message loop: a temporary root holding a fresh register at
// the program's own path, Settings.ini in the same folder, recorded message boxes and scripted
// modal windows; start() runs the entry sequence up to the first login.
#include "data/database.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <memory>

class Startup;
class TDMod;
class TfrmCompactManager;
class TLogin;

class ShellFixture {
public:
    ShellFixture();
    ~ShellFixture();

    QString settingsPath() const;
    // Rows put in before (or beside) the program, on a connection of their own.
    void exec(const QString& sql, const QVariantList& values = {});
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    int count(const QString& table, const QString& where = {}, const QVariantList& values = {});
    // rights: names of the Operator columns set to true; a null password stays NULL.
    void addOperator(const QString& name, const QVariant& password, const QStringList& rights);
    void addPartner(const QString& number, const QString& name, bool customer, bool supplier);
    int addContract(const QString& number, const QString& partner = {});
    void addReceivable(int compactId, double amount);
    // Deletes the register file, for the runs that must not find it.
    void removeDatabase();

    // Runs the entry sequence; the first login picks the operator and types the password.
    // False when the program ended before its message loop.
    bool start(const QString& user = QStringLiteral("管理员"), const QString& password = {});
    // The action for a login dialog: choose the name, type the password, press "确定".
    static Modal::ScriptedModal::Action login(const QString& user, const QString& password);
    // Types into a box key by key; characters beyond Latin-1 come as key events carrying their
    // text.
    static void typeText(QWidget* box, const QString& text);
    // Ends the run: every window and the data module are destroyed.
    void stop();

    Modal::ScriptedModal modal;
    Dialogs::ScopedRecording dialogs;

    TfrmCompactManager& main() const;
    TLogin& loginDialog() const;
    TDMod& dm() const;

private:
    QTemporaryDir m_dir;
    Database m_db;
    std::unique_ptr<Startup> m_startup;
};
