#pragma once
#include "base/Prompter.h"
#include "register/Station.h"

#include <QMap>
#include <QSqlDatabase>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <deque>
#include <utility>
#include <vector>

#include <ostream>

// Test failures show texts as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace Tabrix {
class RecordStore;
}

namespace Tabrix::Support {

// Records every box and question; answers questions from a script (No when empty).
class RecordingPrompter : public Prompter {
public:
    RecordingPrompter() { installPrompter(this); }
    ~RecordingPrompter() override { installPrompter(nullptr); }

    void showError(const QString &text) override { errors << text; }
    void generalError(const QString &text) override { generalErrors << text; }
    bool ask(QuestionKind, const QString &text) override
    {
        questions << text;
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void inform(const QString &text) override { informations << text; }
    void message(const QString &text) override { messages << text; }

    QStringList errors, generalErrors, questions, informations, messages;
    std::deque<bool> answers;
};

// Saves a patient with these column values, then its tests, through the store's
// cursors; returns its Order_id.
using ColumnValues = std::vector<std::pair<QString, QVariant>>;
qint32 AddPatient(RecordStore &store, const ColumnValues &values, const QStringList &tests = {});

// The job files of the private CUPS server's queue, and the bytes of the jobs after
// those `before` once there are `count` of them (waiting up to 10 s; none before),
// oldest first: by the spooler's job id, which names each job's file.
QStringList SpoolerJobs();
QMap<int, QByteArray> CapturedJobsById(const QStringList &before, int count);
QList<QByteArray> CapturedJobs(const QStringList &before, int count);

// Every row of a query, each as its values.
QList<QVariantList> QueryRows(const QSqlDatabase &db, const QString &sql);

// Stations give up waiting for another's lock after `ms` while it lives.
struct ShortWriterWait {
    explicit ShortWriterWait(int ms);
    ~ShortWriterWait();
    int was;
};

// The station's settings with `change` made to them, put into force for the test
// (never written), as a settings file would have them.
template <class Change>
void Set(Station &station, Change change)
{
    StationSettings settings = station.settings();
    change(settings);
    station.putInForce(settings);
}

// A program folder of its own with its station (files and settings), which can
// hold a fresh SQLite register with the data link file naming it.
class ProgramFolder {
public:
    ProgramFolder();
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString programFile() const { return path(QStringLiteral("tabrix")); }
    static bool onPostgres() { return qEnvironmentVariableIsSet("TABRIX_TEST_PG"); }
    // Creates a register with both tables (tabrix.db, or a PostgreSQL database when
    // the tests run on one) and tabrix.udl naming it.
    void createRegister();
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;

private:
    QTemporaryDir m_dir;

public:
    Station station{programFile()}; // after its folder: its files are there
};

} // namespace Tabrix::Support
