#pragma once
#include "base/LabelCharacters.h"
#include "base/TabrixError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The template language of a printer definition: field tags filled in by a tag
// handler, and bracketed escapes that stand for single bytes. Template texts hold
// bytes as characters 0-255 (Latin-1), so every byte of the file survives.
namespace Tabrix {

// The expansion stopped (a line too long for the reading window).
class EParserError : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
};
// A parameter's "%" sequence that is no number.
class EConvertError : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
};

// The value of the first "Name=Value" item whose name equals `name` without regard
// to case (the part before the first "="), or "" when there is none.
QString ValueOfName(const QStringList &items, const QString &name);

// The parameters of one tag, in the order written, normally Name=Value.
class TagParams {
public:
    TagParams() = default;
    explicit TagParams(QStringList items) : m_items(std::move(items)) {}
    const QStringList &items() const { return m_items; }
    QString value(const QString &name) const { return ValueOfName(m_items, name); }

private:
    QStringList m_items;
};

// Fills one tag: gets the tag's name and parameters, returns its replacement.
using TagHandler = std::function<QString(const QString &tagName, const TagParams &params)>;

// A printer definition saved as UTF-16 text: its bytes are no label.
class ETemplateEncoding : public ETabrixError {
public:
    using ETabrixError::ETabrixError;
};

// Reads a printer definition file into lines, comments ("//" to the end of the
// line) removed. A missing file gives no lines; a file that cannot be read
// raises ETabrixError, one saved as UTF-16 ETemplateEncoding naming it. A UTF-8
// byte-order mark is skipped; a NUL byte ends the text; lines end at CR LF, CR or LF.
QStringList LoadTemplateLines(const QString &path);

// The printer definition as the program holds it: its lines as loaded, or why
// the file cannot be used (it is then said at print, and nothing is printed).
struct PrinterDefinition {
    QStringList lines;
    QString fault;
};
// Removes every "//" comment of the lines.
QStringList RemoveComments(QStringList lines);
// The lines joined, each followed by CR LF.
QString TemplateText(const QStringList &lines);

// A value as the bytes it puts on a label, never read as escapes: the characters
// a label carries in that form (base/LabelCharacters), as their bytes.
QByteArray LabelValueBytes(const QString &value, ValueBytes form);

// The bytes of one label, as every print makes them: the template's lines (their
// comments removed) joined, each tag filled by the handler; the template's own
// text has its escapes decoded, each tag's value goes in as its bytes.
QByteArray RenderLabel(const QStringList &templateLines, const TagHandler &handler,
                       ValueBytes values = ValueBytes::Printable);

// Replaces every tag of the template text by what the handler returns.
QString ExpandTemplate(const QString &templateText, const TagHandler &handler);
// The same, handing each piece of the result to `piece` in order: the template's
// own text (`isValue` false) and each tag's value (true).
using PieceSink = std::function<void(QStringView text, bool isValue)>;
void ExpandTemplate(const QString &templateText, const TagHandler &handler, const PieceSink &piece);
// Splits a tag's parameter text into its items.
TagParams SplitParams(const QString &paramText);

// The bytes for the printer: only printable characters survive, then each escape
// becomes its byte.
QByteArray DecodeEscapes(const QString &text);
// Bytes captured from a printer stream as template text.
QString EncodeEscapes(const QByteArray &bytes);
// The length of EncodeEscapes(bytes), worked out without building the text.
qsizetype EncodedLength(const QByteArray &bytes);
QString Dequote(const QString &text);
QString PrintableOnly(const QString &text);

} // namespace Tabrix
