#include "base/InfoOptions.h"
#include "app/ui/MessageBoxPrompter.h"
#include "app/ui/Startup.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (const auto answered = Tabrix::AnswerInfoOptions(argc, argv, "tabrix",
            "Usage: tabrix [--help | --version]\n"
            "Registers patient specimens, gives each registration an accession number from\n"
            "the station's range and prints one label per test while the laboratory's main\n"
            "system is down. The settings (tabrix.ini), the data link file naming the\n"
            "register (tabrix.udl) and the printer definition (tabrix.tpd) are read beside\n"
            "the program file; installed from the package, they are in /etc/opt/tabrix and\n"
            "the register in /var/opt/tabrix. See tabrix(1).\n"))
        return *answered;
    QApplication app(argc, argv);
    Tabrix::MessageBoxPrompter prompter;
    return Tabrix::RunTabrix(app, prompter, QApplication::applicationFilePath());
}
