#include "tests/TestApplication.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    // A private runtime folder, so the single-instance lock of a test run never
    // meets the user's own copy of the program.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const auto app = Tabrix::Support::MakeTestApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
