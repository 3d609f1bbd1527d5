#pragma once
#include <QString>

// Every key of the settings file, declared once: its section, its name, its
// default and its value form. Each read and write goes to the file at that moment
// (nothing is cached), through the settings file reader of IniFile. The station
// (register/Station) reads and writes them in its own settings file.
namespace Tabrix::Settings {

template <class T>
class Key {
public:
    constexpr Key(const char *section, const char *name, T defaultValue)
        : m_section(section), m_name(name), m_default(defaultValue) {}

    const char *section() const { return m_section; }
    const char *name() const { return m_name; }
    const T &defaultValue() const { return m_default; }
    // The value stored in the settings file `file`, or the key's default when it
    // is absent or not of its form.
    T read(const QString &file) const { return read(file, m_default); }
    // The same with a default of the caller's (the value in force, a screen-centred place).
    T read(const QString &file, const T &defaultValue) const;
    // Raises ETabrixError "Unable to write to <file>" when the write is refused.
    void write(const QString &file, const T &value) const;

private:
    const char *m_section;
    const char *m_name;
    T m_default;
};

using Text = Key<QString>;
using Integer = Key<qint32>;
using Boolean = Key<bool>;

inline const Integer MinValue{"Ranges", "MinValue", 0};
inline const Integer MaxValue{"Ranges", "MaxValue", 0};
inline const Text StationID{"Defaults", "StationID", QStringLiteral("Tabrix Station")};
inline const Text Location{"Defaults", "Location", QString()};
inline const Text Gender{"Defaults", "Gender", QStringLiteral("M")};
inline const Text IllegalChars{"Defaults", "IllegalChars", QStringLiteral("\\#!$")};
inline const Boolean ShowSplash{"Defaults", "ShowSplash", true};
inline const Integer SplashInterval{"Defaults", "SplashInterval", 5000};
inline const Text SplashImage{"Defaults", "SplashImage", QString()};
inline const Integer PrinterWait{"Defaults", "PrinterWait", 1000};
inline const Boolean LabelUTF8{"Defaults", "LabelUTF8", false}; // values reach the label as UTF-8
inline const Boolean Colorize{"Defaults", "Colorize", true};
inline const Boolean LabelPreview{"Defaults", "LabelPreview", false}; // the editor's preview pane
inline const Boolean VerifyLabels{"Defaults", "VerifyLabels", true}; // barcodes read back before a label prints
// What the template editor's layout check holds labels to: the label stock's
// size and the shortest bars an analyser's scanner takes, in millimetres.
inline const Text LabelWidthMm{"Defaults", "LabelWidthMm", QStringLiteral("50.8")};   // 2 inches
inline const Text LabelHeightMm{"Defaults", "LabelHeightMm", QStringLiteral("25.4")}; // 1 inch
inline const Text MinBarHeightMm{"Defaults", "MinBarHeightMm", QStringLiteral("10")};
inline const Text Printer{"Printer", "Printer", QString()};
inline const Integer WindowTop{"Window", "Top", 0};
inline const Integer WindowLeft{"Window", "Left", 0};
inline const Integer WindowWidth{"Window", "Width", 0};
inline const Integer WindowHeight{"Window", "Height", 0};
inline const Text BannerPath{"Banner", "Path", QString()};
inline const Text BannerURL{"Banner", "URL", QString()};

// The laboratory information system's interface engine, which takes the
// station's registrations (lis/): where it listens, how messages are addressed
// to it and what they say of the specimens.
inline const Text LisHost{"LIS", "Host", QString()};
inline const Integer LisPort{"LIS", "Port", 0};
inline const Boolean LisTLS{"LIS", "TLS", false};
inline const Text LisCAFile{"LIS", "CAFile", QString()}; // the certificates the engine's must chain to
inline const Integer LisTimeout{"LIS", "Timeout", 10000}; // milliseconds for each acknowledgement
inline const Text LisReceivingApplication{"LIS", "ReceivingApplication", QString()};
inline const Text LisReceivingFacility{"LIS", "ReceivingFacility", QString()};
inline const Text LisAssigningAuthority{"LIS", "AssigningAuthority", QString()}; // of the patient ids
inline const Text LisSpecimenType{"LIS", "SpecimenType", QStringLiteral("BLD")};
inline const Text LisMessageType{"LIS", "MessageType", QStringLiteral("OML^O21")}; // or ORM^O01 (v2.3.1)
inline const Text LisIdentifierSystem{"LIS", "IdentifierSystem", QStringLiteral("urn:tabrix")}; // FHIR identifiers

} // namespace Tabrix::Settings
