// Time from a keystroke to the finished recolouring in the real template editor
// (offscreen), for templates of 10 KB, 100 KB and 1 MiB, and the colouring scan
// alone; then, with the label preview on, the slowest keystroke typed while the
// pane draws a template of 200 boxes on a label of 4000 x 4000 dots.
#include "base/Settings.h"
#include "register/Station.h"
#include "editor/ColorScan.h"
#include "editor/ui/TfrmCodeEditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
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

    QString boxes = QStringLiteral("^XA^PW4000^LL4000\r\n");
    for (int i = 0; i < 200; ++i)
        boxes += QStringLiteral("^FO%1,%1^GB%2,%2,1^FS\r\n").arg(i * 5).arg(4000 - i * 10);
    boxes += QStringLiteral("^XZ\r\n");
    Settings::LabelPreview.write(station.files().SettingsFile, true);
    double slowest = 0;
    {
        TfrmCodeEditor editor(station);
        editor.setText(boxes);
        editor.show();
        QApplication::processEvents();
        auto *edit = editor.findChild<QPlainTextEdit *>(QStringLiteral("RichEdit1"));
        for (int i = 0; i < 20; ++i) {
            slowest = std::max(slowest, keystrokeMs(edit, 5, u' '));
            QTest::qWait(260); // the pause passes: the pane starts drawing
        }
    }
    std::printf("with the preview of %lld bytes of boxes: slowest keystroke %.2f ms\n", qint64(boxes.size()), slowest);
    std::printf("goals: a keystroke under 16 ms at 100 KB and under 50 ms at 1 MiB and beside the preview\n");
    return 0;
}
