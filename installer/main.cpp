#include "QuorvelIns.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QuorvelIns window;
    window.show();
    return app.exec();
}
