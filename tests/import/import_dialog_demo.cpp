// Shows the import dialog alone, for looking at it: import_dialog_demo
// [PICTURE] [--select L,T,W,H] [--color $HEX]... [--preview] [--size W,H].
#include <QApplication>
#include <QTimer>

#include "core/workspace.h"
#include "import/importform.h"
#include "import/importpictures.h"
#include "import/pictureview.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("kletomer-demo");
    klt::registerImportPictures();
    klt::Workspace ws;
    klt::TImportForm form(ws);
    const QStringList args = app.arguments().mid(1);
    bool preview = false;
    QRect select;
    QSize size;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--color" && i + 1 < args.size()) {
            bool ok = false;
            const uint v = args[++i].mid(1).toUInt(&ok, 16);
            form.addColour(qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF));
        } else if (args[i] == "--select" && i + 1 < args.size()) {
            const QStringList p = args[++i].split(',');
            select = QRect(p[0].toInt(), p[1].toInt(), p[2].toInt(), p[3].toInt());
        } else if (args[i] == "--size" && i + 1 < args.size()) {
            const QStringList p = args[++i].split(',');
            size = QSize(p[0].toInt(), p.value(1).toInt());
        } else if (args[i] == "--preview") {
            preview = true;
        } else {
            form.loadPictureFile(args[i]);
        }
    }
    if (!select.isNull()) form.pictureView()->setSelection(select);
    if (preview) QTimer::singleShot(300, &form, [&] { form.convertToCells(true, false); });
    if (size.isValid()) form.resize(size);
    form.show();
    return app.exec();
}
