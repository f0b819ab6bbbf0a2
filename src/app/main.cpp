// Клетомер: the editor, generator and checker of mosaic puzzles.
#include "app/errorhandler.h"
#include "app/fileassociation.h"
#include "app/icons.h"
#include "app/mainwindow.h"
#include "app/recoverykeeper.h"
#include "files/qt/puzzlepictures.h"
#include "import/importpictures.h"
#include "widgets/translations.h"

#include <QTimer>

int main(int argc, char** argv)
{
    klt::preferRussianLocale();
    klt::Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("kletomer"));
    QCoreApplication::setApplicationName(QStringLiteral("kletomer"));
    QApplication::setWindowIcon(klt::programIcon());
    klt::installRussianTranslations();
    klt::registerPuzzlePictures();
    klt::registerImportPictures();

    // The puzzle outlives the window that shows it.
    klt::Workspace workspace;
    klt::MainWindow window(workspace);
    // A failure is reported and the program starts all the same.
    // The installed package registers the file type itself.
    if (!klt::installedAssociation(klt::systemDataDirs()))
        klt::guarded([] { klt::registerFileType(klt::userDataHome(), QCoreApplication::applicationFilePath()); });
    window.setStartArguments(app.arguments().mid(1));
    window.restoreSettings();
    klt::RecoveryKeeper recovery(window);
    window.show();
    // Copies left by a run that died are offered once the window is up.
    QTimer::singleShot(0, &recovery, &klt::RecoveryKeeper::offerOrphans);
    return app.exec();
}
