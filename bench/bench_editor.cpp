// Time from a keystroke to the finished recolouring in the real template editor
// (offscreen), for templates of 10 KB, 100 KB and 1 MiB, and the colouring scan alone.
#include "register/Station.h"
#include "editor/ColorScan.h"
#include "editor/ui/TfrmCodeEditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

using namespace Tabrix;

static double keystrokeMs(QPlainTextEdit *text, int position, QChar key)
{
    QTextCursor c = text->textCursor();
    c.setPosition(position);
    text->setTextCursor(c);
    QElapsedTimer t;
    t.start();
    QTest::keyClick(text, key.toLatin1()); // the colouring is done when this returns
    return t.nsecsElapsed() / 1e6;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const Station station(dir.filePath("tabrix"));
    const QString line = "^FO20,15^A0N,28,28^FD<#Field Name=FullName Length=24>^FS[CR][LF] // name line\r\n";
    std::printf("%-10s %14s %18s %14s\n", "template", "plain key (ms)", "quote key (ms)", "scan (ms)");
    for (int size : {10 * 1024, 100 * 1024, 1024 * 1024}) {
        QString text;
        while (text.size() < size)
            text += line;
        TfrmCodeEditor editor(station);
        editor.setText(text);
        editor.show();
        QApplication::processEvents();
        auto *edit = editor.findChild<QPlainTextEdit *>(QStringLiteral("RichEdit1"));
        const int middle = int(edit->document()->characterCount() / 2);
        double plain = 0;
        for (int i = 0; i < 20; ++i)
            plain += keystrokeMs(edit, middle, u'x');
        // A double quote inside a tag changes the colouring of every line after it.
        const double quote = keystrokeMs(edit, 25, u'"');
        QElapsedTimer t;
        t.start();
        const auto spans = ScanColorSpans(text);
        const double scan = t.nsecsElapsed() / 1e6;
        std::printf("%-10d %14.2f %18.2f %14.2f   (%lld spans)\n", size, plain / 20, quote, scan, qint64(spans.size()));
    }
    std::printf("goals: a keystroke under 16 ms at 100 KB and under 50 ms at 1 MiB\n");
    return 0;
}
