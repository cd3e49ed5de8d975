#include "shell/MainUnit.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    CreateApplicationWindows();
    return app.exec();
}
