#pragma once
// The whole program over a fresh register with drive D present, and the pieces the backup and
// restore tests share: opening the two windows, reading a register file on its own
// connection, the files a restore leaves beside the live one.
#include "shell/shellfixture.h"

#include <QStringList>
#include <functional>

class Dataset;
class QComboBox;
class QDialog;
class QTreeWidget;
class QListWidget;

class SafetyFixture : public ShellFixture {
public:
    SafetyFixture();

    // Three receivable contracts HT-001..HT-003 with an instalment each.
    void addContracts();
    // The file behind a Windows-style path.
    static QString real(const QString& windowsPath);
    // The contract numbers in a register file, read on a connection of its own (the fixture's
    // connection may still stand on a file that a restore has moved away).
    static QStringList numbersIn(const QString& path);
    static QStringList operatorsIn(const QString& path);
    // Everything in the register's folder besides the register itself.
    QStringList besideRegister() const;
    static QByteArray bytes(const QString& path);

    // Opens the window through its menu command and acts in it.
    void inBackup(const std::function<void(QDialog*)>& action);
    void inRestore(const std::function<void(QDialog*)>& action);
    // A backup of the register as it is now, through the window, at the proposed path.
    void backupNow();
    // Picks file in the restore window (in folder, when given, else the one it opens on) and
    // presses 确认恢复; whether the window is still open afterwards.
    bool restoreFile(const QString& file, const QString& folder = {});

    // A dataset's values of one field, first row to last; the contract numbers the list shows.
    static QStringList column(Dataset* ds, const QString& field);
    QStringList contractsShown() const;

    // Acting on the lists as a user does.
    static void chooseDrive(QComboBox* drives, const QString& drive);
    static void activateFolder(QTreeWidget* folders, const QString& windowsPath);
    static void clickFile(QListWidget* files, const QString& name);
    static QStringList names(QListWidget* files);
    static void press(QDialog* window, const char* button = "Button1");
};
