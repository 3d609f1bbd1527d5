#pragma once
// The real main window over a register of its own, shown and active (offscreen),
// for the tests that drive it with keys.
#include "base/Clock.h"
#include "base/TabrixDefs.h"
#include "app/ui/TfrmMain.h"
#include "tests/TestSupport.h"
#include "tests/WindowSupport.h"

#include <QAction>
#include <QApplication>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <memory>

namespace Tabrix::Support {

struct MainWindowFixture {
    static inline const QDateTime Now{QDate(2026, 6, 15), QTime(10, 0)};
    static constexpr qint32 Min = 100012345;

    ProgramFolder folder;
    RecordingPrompter prompter;
    std::unique_ptr<TfrmMain> main;
    QStringList said; // every text the status bar showed

    // `prepare` sees the program folder before the register is made, `beforeShow`
    // the window once its register is open.
    explicit MainWindowFixture(int savedPatients = 0, const std::function<void(ProgramFolder &)> &prepare = {},
                               const std::function<void(TfrmMain &)> &beforeShow = {})
    {
        Clock::setFixed(Now);
        if (prepare)
            prepare(folder);
        folder.createRegister();
        set([](StationSettings &s) { s.TAccn = {Min, Min + 100, 0}; });
        main = std::make_unique<TfrmMain>(folder.station);
        QObject::connect(main->statusBar(), &QStatusBar::messageChanged, [this](const QString &text) {
            if (!text.isEmpty())
                said << text;
        });
        main->store().Connect(folder.path("tabrix.udl"));
        if (beforeShow)
            beforeShow(*main);
        closeAboutBoxes();
        main->show();
        QTest::qWait(50);
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
        for (int i = 0; i < savedPatients; ++i) {
            main->lifecycle().tbNewClick();
            fillValid(QStringLiteral("P%1").arg(i));
            EXPECT_TRUE(main->lifecycle().TryPost());
        }
    }
    ~MainWindowFixture() { Clock::setFixed({}); }

    Cursor &patients() { return main->store().tblPatients; }
    template <class Change>
    void set(Change change) { Set(folder.station, change); }
    const StationSettings &settings() const { return folder.station.settings(); }

    void fillValid(const QString &last)
    {
        const std::pair<const char *, QString> values[] = {
            {"Last_Name", last}, {"First_Name", "OSKA"}, {"Patient_id", "MRN" + last}, {"DOB", "01/19/1970"},
            {"Location", "W1"}, {"Collection_date", "06/15/2026"}, {"Collection_Time", "0930"},
            {"Recieve_date", "06/15/2026"}, {"Recieve_Time", "1000"}};
        for (const auto &[column, value] : values)
            patients().setValue(column, value);
    }

    // Keys go through the window system path, shortcuts and the window's own filter included.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(main->windowHandle(), k, mods);
        QApplication::processEvents();
    }
    // Any text, as a keyboard would type it (QTest's own typing takes ASCII only).
    void type(const QString &text)
    {
        for (QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(main->windowHandle(), c.toLatin1());
            } else {
                QWidget *to = QApplication::focusWidget() ? QApplication::focusWidget() : main.get();
                QTest::sendKeyEvent(QTest::Press, to, Qt::Key_unknown, QString(c), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, to, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
        QApplication::processEvents();
    }
    void typeAndEnter(const QString &text)
    {
        type(text);
        key(Qt::Key_Return);
    }
    QWidget *focus() const { return QApplication::focusWidget(); }

    int count(const QString &sql)
    {
        QSqlQuery q(main->store().database());
        q.exec(sql);
        return q.next() ? q.value(0).toInt() : -1;
    }
    QStringList enabled() const
    {
        QStringList on;
        for (const char *name : {"tbNew", "New1", "tbCancel", "Cancel1", "tbSave", "Save1", "tbPrint", "Print1",
                                 "tbPrev", "Previous1", "tbNext", "Next1", "Delete1", "EmptyDatabase1", "Export1",
                                 "AccnList1", "ExportLabelHistory1", "LabelHistory1", "SendToLis1", "ExportForLis1",
                                 "ExportAuditTrail1", "Find1", "RecordHistory1"})
            if (QAction *a = Control<QAction>(*main, name); a->isEnabled())
                on << a->objectName();
        return on;
    }
};

} // namespace Tabrix::Support
