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
#include <cmath>
#include <cstdio>

#include "app/errorhandler.h"
#include "app/mainwindow.h"
#include "app/pathview.h"
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

// The solving path of a small freckled face generated for levels up to 3, at
// the first step by which all three levels have decided cells, then a hint there.
void shootSolvingPath(klt::MainWindow& window, klt::Workspace& workspace)
{
    klt::Field& f = workspace.doc.field();
    f.clear();
    f.setSize(17, 17);
    for (int c = 0; c < 17; ++c)
        for (int r = 0; r < 17; ++r) {
            const double d = std::hypot(c - 8, r - 8);
            const bool ring = d > 6.4 && d < 8.2;
            const bool eye = (c == 5 || c == 6 || c == 10 || c == 11) && (r == 5 || r == 6);
            const bool mouth = r >= 10 && r <= 11 && d > 3.6 && d < 5.2;
            // Freckles: a fixed scatter on the cheeks, where single clues say little.
            const unsigned hash = static_cast<unsigned>(c * 73856093) ^ static_cast<unsigned>(r * 19349663);
            const bool freckle = d < 6 && !eye && !mouth && (r < 5 || r > 7) && hash % 7 < 3;
            if (ring || eye || mouth || freckle) f.setText(c, r, "-");
        }
    workspace.doc.notifyFieldChanged();
    window.action("acCalcLevel3")->trigger();
    window.action("acGrade")->trigger();
    klt::PathView* view = window.pathView();
    const auto& steps = view->grade().path.steps;
    bool seen[4] = {false, false, false, false};
    int at = view->stepCount() / 2;
    for (size_t i = 0; i < steps.size(); ++i) {
        seen[steps[i].level] = true;
        if (seen[1] && seen[2] && seen[3]) {
            at = static_cast<int>(i) + 1;
            break;
        }
    }
    view->resize(760, 680);
    view->field()->setCellSize(24);
    view->setPosition(at);
    QApplication::processEvents();
    save(view, QStringLiteral("path"));
    window.action("acHint")->trigger();
    QApplication::processEvents();
    save(view, QStringLiteral("path-hint"));
    save(&window, QStringLiteral("main-path"));
    view->close();
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
        shootMenu(window.levelSubmenu(), window.mapToGlobal(QPoint(300, 60)), QStringLiteral("menu-generate-level"));
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
        shootSolvingPath(window, workspace);
        QApplication::exit(0);
    });
    return app.exec();
}
