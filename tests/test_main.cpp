#include <gtest/gtest.h>

#ifdef TABRIX_TEST_UI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    // A private runtime folder, so the single-instance lock of a test run never
    // meets the user's own copy of the program.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
