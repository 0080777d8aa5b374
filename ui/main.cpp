// zefir [ARCHIVE]: the desktop program. With an archive it starts with the
// open command on that archive, asking only for the working folder.
// zefir --screenshot FOLDER ARCHIVE saves a picture of every window instead.

#include <QApplication>
#include <QStringList>

#include "ui/Dialogs.h"
#include "ui/MainWindow.h"
#include "ui/Screenshots.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zefir"));
    QApplication::setApplicationVersion(QStringLiteral("0.3"));
    QApplication::setDesktopFileName(QStringLiteral("zefir"));
    QApplication::setWindowIcon(zefir::ui::ApplicationIcon());

    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() == 3 && arguments[0] == QLatin1String("--screenshot"))
        return zefir::ui::TakeScreenshots(arguments[1], arguments[2]);

    zefir::ui::QtDialogs dialogs;
    zefir::ui::ZefirWindows windows(dialogs);
    if (arguments.isEmpty())
        windows.SDIAppForm.show();
    else
        windows.SDIAppForm.OpenArchiveWhenShown(arguments.constFirst());
    return QApplication::exec();
}
