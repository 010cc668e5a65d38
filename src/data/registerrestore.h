#pragma once
// Puts a copy in the place of the live register without ever losing it: the copy is checked
// before the live file is touched, written beside it and flushed, then swapped in by renames;
// any failure puts the previous register back and opens it again. A start after the program
// was stopped half-way finishes or undoes the swap (recover). On a server the archive is
// loaded, checked and swapped in by one transaction (ServerRestore), and every dataset that
// was open is opened again on the restored register.
#include "dataerror.h"
#include "platform/durablefile.h"

#include <QString>
#include <functional>
#include <vector>

class Dataset;
class TDMod;

class RegisterRestore {
public:
    // The points between the steps, in order.
    enum class Step { Copied, Checked, Closed, SetAside, Swapped, Reopened, Finished };

    // The picked file is not a usable register (or is the live file itself); the previous
    // register is open, unchanged. The text says why, in the user's words.
    class Refused : public DataError {
    public:
        using DataError::DataError;
    };

    // alsoOnConnection: datasets outside the data module that read the same connection (the
    // login's operators); they are closed with it and opened again last.
    RegisterRestore(TDMod& dm, std::vector<Dataset*> alsoOnConnection);

    // Replaces the live register by a copy of picked and opens again, on it, every dataset
    // that was open.
    // Throws Refused as above; DurableFile::FileError when the files cannot be moved or
    // written (the previous register is open again); DataError when even the previous
    // register cannot be opened again (it stays on the disk, recover puts it in place).
    void run(const QString& picked, const DurableFile::Progress& progress = {});

    // What a start found of a restore that was stopped half-way, and did with it.
    enum class Recovered {
        Nothing,   // no restore was under way
        Untouched, // stopped before the register was touched: it stays as it was
        PutBack,   // stopped during the swap: the previous register is back
        Restored,  // stopped after the swap: the restored register stays
    };
    // Before the register is opened: when a restore was stopped half-way, leaves at livePath
    // either the previous register or the complete restored one, and no file of the restore
    // beside it.
    static Recovered recover(const QString& livePath);

    // For tests: runs at each point; throwing there makes that step fail.
    static std::function<void(Step)>& testHook();

    // The names of the restore's own files beside the live one.
    static QString asideName(const QString& livePath, const QString& token);
    static QString incomingName(const QString& livePath, const QString& token);

private:
    void reached(Step step);
    std::vector<Dataset*> openDatasets() const;
    void runOnServer(const QString& picked);
    void dropSideFiles(const QString& live, const std::vector<Dataset*>& order);
    void busy() const;
    void closeEverything();
    void reopen(const QString& live, const std::vector<Dataset*>& order);
    void swapIn(const QString& live, const QString& incoming, const QString& aside,
                const std::vector<Dataset*>& order);
    void putBack(const QString& live, const QString& incoming, const QString& aside,
                 const std::vector<Dataset*>& order);

    TDMod& m_dm;
    std::vector<Dataset*> m_also;
    DurableFile::Progress m_progress;
};
