#include "labels/Template.h"
#include "tests/TestSupport.h" // for printing texts

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Tabrix;

namespace {
// Shows how each tag was read: {name:item|item}.
QString showTags(const QString &text)
{
    return ExpandTemplate(text, [](const QString &name, const TagParams &params) {
        return u'{' + name + u':' + params.items().join(u'|') + u'}';
    });
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b += char(v);
    return b;
}
} // namespace

TEST(Template, TagsAreReadByTheTokenGrammar)
{
    struct Case { const char *text, *expanded; };
    const Case cases[] = {
        {"<#Field Name=AccnStr>", "{Field:Name=AccnStr}"},
        {"<# Field Name=AccnStr>", "{Field:Name=AccnStr}"},
        {"< #Field Name=AccnStr>", "{Field:Name=AccnStr}"},
        {"<#Name=AccnStr>", "{Name:=AccnStr}"},
        {"a<#>b", "a{>:}b"},
        {"x <#Field Name=A", "x {Field:Name=A}"},
        {"a < b", "a <b"},
        {"<<#Field Name=AccnStr>", "<<#Field Name=AccnStr>"},
        {"  lead <#F>  trail ", "  lead {F:}  trail "},
        {"<#Field\r\nName=A\r\n Length=5 >[CR]", "{Field:Name=A|Length=5}[CR]"},
        {"<#F Format=\"dd mmm\">", "{F:Format=dd mmm}"},
        {"<#F Format='dd mmm'>", "{F:Format=dd|mmm}"},
        {"<#F Format=mm/dd/yyyy+hh:nn>", "{F:Format=mm/dd/yyyy hh:nn}"},
        {"<#F Format=\"mm/dd/yyyy hh:nn\">", "{F:Format=mm/dd/yyyy hh:nn}"},
        {"<#F A=%41%%%22>", "{F:A=A%}"},
        {"<#F \"q r\"s>", "{F:q r|s}"},
        {"<#F a=\"b c\"Xd>", "{F:a=b c|d}"},
        {"<#F a=b\tc>", "{F:a=b\tc}"},
        {"<#F a=\"unclosed b>", "{F:a=unclosed b}"},
        {"<#F x=\">\"y>", "{F:x=}\"y>"},
        {"<#F \"\" a>", "{F:a}"},
        {"<#", "{:}"},
        {"1<2>3", "1<2>3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(showTags(QString::fromLatin1(c.text)), QString::fromLatin1(c.expanded));
    }
}

TEST(Template, ParametersAndTheirFaults)
{
    const TagParams p = SplitParams("name=A NAME=B Length= X");
    EXPECT_EQ(p.value("Name"), "A"); // the first wins, without regard to case
    EXPECT_EQ(p.value("length"), "");
    EXPECT_EQ(p.value("X"), "");      // an item without "=" names nothing
    EXPECT_EQ(p.value("Missing"), "");
    EXPECT_EQ(SplitParams("=AccnStr").value("Name"), "");

    struct Fault { const char *text, *message; };
    const Fault faults[] = {
        {"<#F a=%4>", "'$4' is not a valid integer value"},
        {"<#F a=%zz>", "'$zz' is not a valid integer value"},
        {"<#F a=%", "'$' is not a valid integer value"},
    };
    for (const Fault &f : faults) {
        try {
            showTags(f.text);
            ADD_FAILURE() << f.text;
        } catch (const EConvertError &e) {
            EXPECT_EQ(e.message(), f.message);
        }
    }
    // A replacement is never expanded again.
    EXPECT_EQ(ExpandTemplate("[<#F>]", [](const QString &, const TagParams &) { return QStringLiteral("<#F Name=X>"); }),
              "[<#F Name=X>]");
}

TEST(Template, TheReadingWindowLimitsTheLines)
{
    const auto lineOf = [](int n) { return QString(n, u'a'); };
    const auto expand = [&](int n) { return showTags(TemplateText({"first", lineOf(n), "last"})); };
    EXPECT_EQ(expand(4093).size(), 5 + 2 + 4093 + 2 + 4 + 2);
    try {
        expand(4094);
        FAIL();
    } catch (const EParserError &e) {
        EXPECT_EQ(e.message(), "Line too long on line 2");
    }
}

TEST(Template, LoadingRemovesCommentsAndKeepsEveryByte)
{
    QTemporaryDir folder;
    const auto write = [&](const QByteArray &bytes) {
        QFile f(folder.filePath("t.tpd"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    struct Case { QByteArray file; QStringList lines; };
    const Case cases[] = {
        {"A// one label per test\r\nB\rC\nD", {"A", "B", "C", "D"}},
        {"ab\r\n", {"ab"}},
        {"\r\n", {""}},
        {"// only a comment\r\n", {""}},
        {QByteArray("x\r\ny\0z\r\n", 8), {"x", "y"}},
        {"caf\xE9 <#F a=b//c>", {QString::fromLatin1("caf\xE9 <#F a=b")}},
        {"", {}},
    };
    for (const Case &c : cases) {
        write(c.file);
        EXPECT_EQ(LoadTemplateLines(folder.filePath("t.tpd")), c.lines) << c.file.toStdString();
    }
    EXPECT_TRUE(LoadTemplateLines(folder.filePath("missing.tpd")).isEmpty());
    // A UTF-8 byte-order mark is no part of the label; UTF-16 text is said, naming the file.
    write("\xEF\xBB\xBFN[CR][LF]\r\n");
    EXPECT_EQ(LoadTemplateLines(folder.filePath("t.tpd")), QStringList{"N[CR][LF]"});
    for (const QByteArray &utf16 : {QByteArray("\xFF\xFE/\0/\0 \0x\0", 10), QByteArray("N\0[\0C\0R\0", 8)}) {
        write(utf16);
        try {
            LoadTemplateLines(folder.filePath("t.tpd"));
            ADD_FAILURE() << "read as a label";
        } catch (const ETemplateEncoding &e) {
            EXPECT_TRUE(e.message().startsWith("The printer definition " + folder.filePath("t.tpd") + " is saved as UTF-16"))
                << qPrintable(e.message());
        }
    }
    EXPECT_THROW(LoadTemplateLines(folder.path()), ETabrixError); // a folder cannot be read

    // A comment-only template is CR LF, which decodes to no bytes at all.
    EXPECT_EQ(TemplateText(RemoveComments({"// one label per test"})), "\r\n");
    EXPECT_EQ(DecodeEscapes("\r\n"), QByteArray());
}

TEST(Template, EscapesBecomeBytes)
{
    struct Case { const char *text; QByteArray decoded; };
    const Case cases[] = {
        {"[cr]", "\r"}, {"[ Cr ]", "\r"}, {"[\"CR\"]", "\r"}, {"[CR][LF]", "\r\n"},
        {"[NULL]", QByteArray(1, '\0')}, {"[TAB][FF][ESC]", "\t\f\x1b"},
        {"[91]CR]", "[CR]"}, {"[[CR]]", "[[CR]]"}, {"[]", "[]"}, {"[ ]", "[ ]"}, {"[\"A\"]", "[\"A\"]"},
        {"[300]", ","}, {"[-1]", "\xff"}, {"[27]", "\x1b"}, {"[$1B]", "\x1b"}, {"[0x1b]", "\x1b"}, {"[x1B]", "\x1b"},
        {"[\"]\"]", "]"}, {"[\"[\"]", "["}, {"[<]", "<"}, {"[\">\"]", ">"}, {"[[]", "["},
        {"[47][47]", "//"}, {"a[bc", "a[bc"}, {"a\r\n\tb\xE9", "ab"}, {"[C\tR]", "\r"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DecodeEscapes(QString::fromLatin1(c.text)), c.decoded);
    }
    EXPECT_EQ(EncodeEscapes(bytes({27, 'A', 13, 10, 200})), "[ESC]A[CR][LF]\r\n[200]");
    EXPECT_EQ(EncodeEscapes(QByteArray()), "");
    EXPECT_EQ(Dequote(" \"a\"\"b\" "), "a\"b");
    EXPECT_EQ(Dequote("\""), "");
    EXPECT_EQ(PrintableOnly(QString("a\x01\x7f~ ") + QChar(0x142)), "a~ ");
}

TEST(Template, EncodedBytesDecodeToThemselves)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(DecodeEscapes(EncodeEscapes(all)), all);
    EXPECT_EQ(EncodedLength(all), EncodeEscapes(all).size());
    QRandomGenerator random(42);
    for (int i = 0; i < 2000; ++i) {
        QByteArray b(random.bounded(200), Qt::Uninitialized);
        for (char &c : b)
            c = random.bounded(4) == 0 ? "\r\n"[random.bounded(2)] : char(random.bounded(256));
        ASSERT_EQ(DecodeEscapes(EncodeEscapes(b)), b) << b.toHex().toStdString();
        ASSERT_EQ(EncodedLength(b), EncodeEscapes(b).size()) << b.toHex().toStdString();
    }
}

TEST(Template, BadTemplatesEndWithAResultOrTheirError)
{
    QRandomGenerator random(7);
    const char alphabet[] = "<#>[]\"'%+= \r\nAaZ_09$x/";
    const auto handler = [](const QString &, const TagParams &p) { return p.value("Name"); };
    for (int i = 0; i < 3000; ++i) {
        QString text;
        const int n = random.bounded(300);
        for (int k = 0; k < n; ++k)
            text += i % 2 ? QChar(random.bounded(1, 256)) : QChar(alphabet[random.bounded(int(sizeof alphabet) - 1)]);
        try {
            DecodeEscapes(ExpandTemplate(text, handler));
        } catch (const EParserError &) {
        } catch (const EConvertError &) {
        }
    }
    // 100,000 tags on lines of their own, and about 10 MB of template.
    QString many;
    for (int i = 0; i < 100000; ++i)
        many += QStringLiteral("T<#Field Name=N%1>[CR]\r\n").arg(i);
    EXPECT_EQ(DecodeEscapes(ExpandTemplate(many, handler)).count('\r'), 100000);
    const QString big = TemplateText(QStringList(2600, QString(4000, u'x')));
    EXPECT_EQ(ExpandTemplate(big, handler).size(), big.size());
}
