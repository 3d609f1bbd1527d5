#include "app/ui/MessageBoxPrompter.h"
#include "app/ui/Startup.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Tabrix::MessageBoxPrompter prompter;
    return Tabrix::RunTabrix(app, prompter, QApplication::applicationFilePath());
}
