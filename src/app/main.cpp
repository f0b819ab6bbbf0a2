// Клетомер: the editor, generator and checker of mosaic puzzles.
#include "app/errorhandler.h"
#include "app/mainwindow.h"

int main(int argc, char** argv)
{
    klt::Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("kletomer"));
    QCoreApplication::setApplicationName(QStringLiteral("kletomer"));

    klt::MainWindow window;
    window.restoreSettings();
    window.show();
    return app.exec();
}
