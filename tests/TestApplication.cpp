#include "tests/TestApplication.h"

#if defined(TABRIX_TEST_UI)
#include <QApplication>
using Application = QApplication;
#elif defined(TABRIX_TEST_GUI)
#include <QGuiApplication>
using Application = QGuiApplication;
#else
using Application = QCoreApplication;
#endif

namespace Tabrix::Support {

std::unique_ptr<QCoreApplication> MakeTestApplication(int &argc, char **argv)
{
    return std::make_unique<Application>(argc, argv);
}

} // namespace Tabrix::Support
