#pragma once
#include <QCoreApplication>
#include <memory>

namespace Tabrix::Support {

// The application object of a test program: a QApplication for the tests of the
// windows, else a QCoreApplication (the core tests link no Widgets).
std::unique_ptr<QCoreApplication> MakeTestApplication(int &argc, char **argv);

} // namespace Tabrix::Support
