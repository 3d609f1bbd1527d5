#pragma once
#include "base/ProgramFiles.h"
#include "base/Settings.h"

#include <QChar>
#include <QObject>
#include <QString>

namespace Tabrix {

// The accession range handed to this station. MinValue 0 means no range is set.
// NextNum is worked out when the register opens and lives in memory only. It is
// held in 64 bits so that the number after the largest never wraps round to a
// small one that is already given: above MaxValue it is refused.
struct TAccnRecord {
    qint32 MinValue = 0;
    qint32 MaxValue = 0;
    qint64 NextNum = 0;
};

// What the settings say of this station, each value named after its key.
struct StationSettings {
    TAccnRecord TAccn;
    QString StationID = QStringLiteral("Tabrix Station");
    QString Location;
    QChar Gender = u'M';
    QString IllegalChars = QStringLiteral("\\#!$");
    bool ShowSplash = true;
    qint32 SplashInterval = 5000;
    qint32 PrinterWait = 1000;
    bool LabelUTF8 = false;  // values reach the label as UTF-8 (for printers whose template selects it)
    bool VerifyLabels = true; // each label's barcodes are read back before it is sent
    QString PrinterName;     // Printer/Printer as read at start
    QString SplashFile;      // the splash picture chosen at this start, or empty
};

// The station: its files beside the program and what its settings file says of
// it. It reads the settings (LoadSettings), holds them while the program runs
// (nothing else keeps a copy), puts an edited copy into force and writes it, and
// tells its listeners when they changed. It is also the one way into its
// settings file for the keys it does not hold (the window's place, the banner).
class Station : public QObject {
    Q_OBJECT
public:
    // Works out the files from the program file's path and reads the settings.
    explicit Station(const QString &programFilePath, QObject *parent = nullptr);

    const ProgramFiles &files() const { return m_files; }
    const StationSettings &settings() const { return m_settings; }

    // Reads every setting from the settings file, in a fixed order; a missing
    // key keeps its default (Gender and IllegalChars: the value in force).
    void LoadSettings();
    // Puts every value of `edited` into force (NextNum stays), then writes the
    // options dialog's keys in their order; listeners are told once the file has
    // them. Raises "Unable to write to <file>" at the first write refused: the
    // values stay in force, the keys written before stay written.
    void apply(const StationSettings &edited);
    // The values for this run only, never written (the splash picture chosen, a test's wait).
    void putInForce(const StationSettings &values);
    void setNextNum(qint64 next) { m_settings.TAccn.NextNum = next; }

    // Why the range cannot give numbers: an end that is no accession number, as
    // the settings file holds it, naming the file and the key. Empty when it can.
    QString rangeFault() const;

    template <class T>
    T read(const Settings::Key<T> &key) const { return key.read(m_files.SettingsFile); }
    template <class T>
    T read(const Settings::Key<T> &key, const T &defaultValue) const { return key.read(m_files.SettingsFile, defaultValue); }
    template <class T>
    void write(const Settings::Key<T> &key, const T &value) const { key.write(m_files.SettingsFile, value); }

signals:
    void changed();

private:
    // The values in force from now on, NextNum kept.
    void take(const StationSettings &values);

    ProgramFiles m_files;
    StationSettings m_settings;
};

} // namespace Tabrix
