// The main window's commands used all day, driven through its buttons on a copy of the large
// register: a partner tab and back, 合同增加 until the editor shows, 保存 until it is ready
// again, and the delete answered Yes; then the session's peak memory, and the change history
// window of a contract with 1,000 changes.
#include "benchgroups.h"
#include "benchprogram.h"
#include "benchutil.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "history/historylist.h"
#include "history/txgjilu.h"
#include "platform/dialogs.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "shell/tfrmcompactmanager.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <memory>

namespace Bench {

namespace {

// A step ends when the window has drawn its result.
double timed(const std::function<void()>& step) {
    return seconds([&] {
        step();
        QApplication::processEvents();
    });
}

int contractCount() {
    return app().DMod->TBCompacter->recordCount();
}

void fail(const QString& what) {
    note(what);
    std::exit(1);
}

// What the program said, for a step that did not do what it should.
QString messages() {
    auto* recording = dynamic_cast<Dialogs::RecordingBackend*>(Dialogs::backend());
    return recording ? recording->texts().join(u'|') : QString();
}

struct EditorTimes {
    std::vector<double> open, save;
    qint64 clicked = 0;
};

// The add window: timed from the click until it shows, then a contract is typed and saved.
int addContract(Windows& windows, EditorTimes& times, QDialog* dialog) {
    dialog->show();
    QApplication::processEvents();
    times.open.push_back(double(windows.clock.nsecsElapsed() - times.clicked) / 1e9);
    TFormAddCom* e = app().FormAddCom;
    e->DBEdit2->setText(QStringLiteral("办公设备采购"));
    e->DBComboBox1->setCurrentIndex(e->DBComboBox1->findText(QStringLiteral("收款")));
    e->DBLookupComboBox1->setCurrentIndex(0);
    e->DBEdit5->setText(QStringLiteral("12345.67"));
    const int before = contractCount();
    times.save.push_back(timed([e] { e->Button2->click(); }));
    if (contractCount() != before + 1)
        fail(QStringLiteral("the contract was not saved: %1").arg(messages()));
    e->Button5->click();
    return QDialog::Accepted;
}

// A contract with this many changes in its history, recorded as saves record them, in one
// transaction so that making them costs no figure.
constexpr int HistoryChanges = 1000;

void recordChanges(TDMod& dm) {
    Dataset* c = dm.TBCompacter;
    const QString amount = QStringLiteral("合同金额");
    const QString signedOn = QStringLiteral("签订日期");
    dm.database().transaction();
    for (int i = 0; i < HistoryChanges; ++i) {
        const bool money = i % 2 == 0;
        RowChange change{RowChange::Kind::Changed,
                         QStringLiteral("Compact"),
                         QStringLiteral("CompactID"),
                         c->value(QStringLiteral("CompactID")),
                         {}};
        change.values.push_back(
            {QStringLiteral("CompactID"), FieldType::AutoInc, change.key, change.key});
        if (money)
            change.values.push_back({amount, FieldType::Currency,
                                     QVariant::fromValue(Currency::fromUnits(i * 10000LL)),
                                     QVariant::fromValue(Currency::fromUnits(i * 10000LL + 5))});
        else
            change.values.push_back({signedOn, FieldType::DateTime,
                                     FieldValues::makeDateTime(QDate(2020, 1, 1).addDays(i)),
                                     FieldValues::makeDateTime(QDate(2020, 1, 2).addDays(i))});
        dm.history().record(change, ContractHistory::Contract);
    }
    dm.database().commit();
}

// The history window: timed from the command until it shows with its list.
std::vector<double> openHistory(Windows& windows, TDMod& dm) {
    std::vector<double> samples;
    qint64 started = 0;
    windows.handlers[QStringLiteral("XGJiLu")] = [&](QDialog* dialog) {
        dialog->show();
        QApplication::processEvents();
        samples.push_back(double(windows.clock.nsecsElapsed() - started) / 1e9);
        dialog->hide();
        return QDialog::Accepted;
    };
    Dataset* c = dm.TBCompacter;
    const QString number = c->value(QStringLiteral("合同编号")).toString();
    const QVariant id = c->value(QStringLiteral("CompactID"));
    for (int i = 0; i < Repeats; ++i) {
        started = windows.clock.nsecsElapsed();
        app().XGJiLu->showContract(number, id);
    }
    if (app().XGJiLu->list()->dataset()->recordCount() < HistoryChanges)
        fail(QStringLiteral("the history window does not list the changes"));
    return samples;
}

} // namespace

SessionSamples driveSession(const std::function<void()>& eachRound, bool withHistory) {
    Windows windows;
    SessionSamples samples;
    EditorTimes editor;
    windows.handlers[QStringLiteral("FormAddCom")] = [&](QDialog* d) {
        return addContract(windows, editor, d);
    };
    auto startup = std::make_unique<Startup>();
    if (!startup->run())
        fail(QStringLiteral("the program did not start: %1").arg(messages()));
    TfrmCompactManager* main = app().frmCompactManager;
    // the one reminder check after the login comes first, as its timer would have it
    main->Timer1->stop();
    main->Timer1Timer();
    QApplication::processEvents();

    Dialogs::ScopedRecording answers;
    for (int i = 0; i < Repeats; ++i) {
        if (eachRound)
            eachRound();
        samples.partnerTab.push_back(timed([main] { main->PageControl1->setCurrentIndex(1); }));
        samples.allTab.push_back(timed([main] { main->PageControl1->setCurrentIndex(0); }));
        editor.clicked = windows.clock.nsecsElapsed();
        main->SpeedButton5->click();
        // the saved contract is the current one: deleting it keeps the register's size
        const int before = contractCount();
        answers.answer(Dialogs::Button::Yes);
        samples.deletes.push_back(timed([main] { main->DelCompSBtn->click(); }));
        if (contractCount() != before - 1)
            fail(QStringLiteral("the contract was not deleted"));
    }
    if (answers.count() != Repeats)
        fail(QStringLiteral("unexpected messages: %1").arg(messages()));
    samples.peakRss = peakRssMb();
    samples.addOpen = editor.open;
    samples.saveReady = editor.save;
    if (withHistory) {
        recordChanges(*app().DMod);
        samples.history = openHistory(windows, *app().DMod);
    }
    startup.reset();
    return samples;
}

void runSessionGroup(const Context& ctx) {
    ProgramRoot root(ctx.db, ProgramRoot::Register::Copied);
    useRoot(root.path());
    applyProgramFont();
    std::vector<double> cli;
    const SessionSamples s = driveSession([&] { cli.push_back(sqliteCli(ctx)); }, true);
    const double cliS = best("sqlite_cli_s", cli);
    const struct {
        const char* name;
        const char* ratio;
        const std::vector<double>& samples;
    } figures[] = {
        {"tab_all_s", "tab_all_ratio", s.allTab},
        {"tab_partner_s", "tab_partner_ratio", s.partnerTab},
        {"add_open_s", "add_open_ratio", s.addOpen},
        {"save_ready_s", "save_ready_ratio", s.saveReady},
        {"delete_s", "delete_ratio", s.deletes},
    };
    for (const auto& f : figures) {
        const double t = best(f.name, f.samples);
        print(f.name, t, 3);
        print(f.ratio, t / cliS, 2);
    }
    print("session_peak_rss_mb", s.peakRss, 1);
    print("history_open_s", best("history_open_s", s.history), 3);
}

} // namespace Bench
