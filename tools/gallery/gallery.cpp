// kletomer-gallery: pictures of the main window, its menus and every dialog,
// for looking at the program without clicking through it. Each dialog is
// opened through its action, photographed once it is up, and cancelled.
//
//   QT_QPA_PLATFORM=offscreen kletomer-gallery OUTDIR [PUZZLE]
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "app/errorhandler.h"
#include "app/mainwindow.h"
#include "files/qt/puzzlepictures.h"
#include "import/importpictures.h"
#include "widgets/messagebox.h"
#include "widgets/translations.h"

namespace {

QString outDir;

void save(QWidget* w, const QString& name)
{
    const QString path = QDir(outDir).filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
}

// Triggers the action; the dialog it opens is photographed and closed.
void shootDialog(klt::MainWindow& window, const char* action)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action, waited = 0]() mutable {
        QWidget* dlg = QApplication::activeModalWidget();
        if (!dlg) {
            if (++waited < 50) return;
            std::fprintf(stderr, "%s opened no dialog\n", action);
        } else {
            QApplication::processEvents();
            save(dlg, QString::fromLatin1(action));
            dlg->close();
        }
        poll->stop();
        poll->deleteLater();
    });
    poll->start(200);
    window.action(action)->trigger();
}

void shootMenu(QMenu* menu, const QPoint& at, const QString& name)
{
    menu->popup(at);
    QApplication::processEvents();
    save(menu, name);
    menu->hide();
}

} // namespace

int main(int argc, char** argv)
{
    klt::preferRussianLocale();
    klt::Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("kletomer-gallery"));
    QCoreApplication::setApplicationName(QStringLiteral("kletomer-gallery"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: kletomer-gallery OUTDIR [PUZZLE]\n");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    klt::registerPuzzlePictures();
    klt::registerImportPictures();
    klt::installRussianTranslations();
    // Boxes would stop the tour: they are printed instead.
    klt::setMessageHook([](klt::MessageKind, const QString& text, const QString& caption) {
        std::printf("[%s] %s\n", qPrintable(caption), qPrintable(text));
        return klt::MessageButton::Ok;
    });

    // The puzzle outlives the window that shows it.
    klt::Workspace workspace;
    klt::MainWindow window(workspace);
    if (argc > 2) window.setStartArguments({QString::fromLocal8Bit(argv[2])});
    window.show();

    QTimer::singleShot(300, [&] {
        save(&window, QStringLiteral("main"));
        shootMenu(window.fileMenu(), window.mapToGlobal(QPoint(0, 20)), QStringLiteral("menu-file"));
        for (QAction* a : window.menuBar()->actions())
            if (a->menu() && a->text() == QStringLiteral("Клетомер"))
                shootMenu(a->menu(), window.mapToGlobal(QPoint(100, 20)), QStringLiteral("menu-kletomer"));
        shootMenu(window.generateButton()->menu(), window.mapToGlobal(QPoint(300, 60)), QStringLiteral("menu-generate"));
        shootMenu(window.gridMenu(), window.mapToGlobal(QPoint(200, 120)), QStringLiteral("menu-grid"));
        for (const char* a : {"acOpen", "acSaveAs", "acImport", "acExp", "acPrize", "acAbout", "acFont", "acPrint"})
            shootDialog(window, a);
        // The uniqueness check marks the cells its verdict points at, if any.
        window.action("acUnique")->trigger();
        QApplication::processEvents();
        save(&window, QStringLiteral("main-unique"));
        window.action("acPreview")->trigger();
        QApplication::processEvents();
        save(&window, QStringLiteral("main-preview"));
        QApplication::exit(0);
    });
    return app.exec();
}
