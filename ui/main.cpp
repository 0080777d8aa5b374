// zefir [ARCHIVE]: the desktop program. With an archive the main window
// starts with the open command on it, asking only for the working folder.
// zefir --edit [ARCHIVE] opens the Archive Editor, on ARCHIVE if given.
// zefir --screenshot FOLDER ARCHIVE saves a picture of every window instead.

#include <QApplication>
#include <QLocale>
#include <QStringList>
#include <QTimer>

#include "ui/ArchiveEditor.h"
#include "ui/Dialogs.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"
#include "ui/Screenshots.h"

namespace {

int RunEditor(zefir::ui::IDialogs& dialogs, const QString& archive)
{
    zefir::ui::ArchiveEditor editor(dialogs);
    editor.show();
    if (!archive.isEmpty())
        QTimer::singleShot(0, &editor, [&editor, archive] { editor.OpenArchive(archive); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zefir"));
    QApplication::setOrganizationName(QStringLiteral("zefir"));
    QApplication::setApplicationVersion(QStringLiteral("0.3"));
    QApplication::setDesktopFileName(QStringLiteral("zefir"));
    QApplication::setWindowIcon(zefir::ui::ApplicationIcon());
    // Before any window: each takes its texts when it is made.
    zefir::ui::InstallTranslations(
        zefir::ui::LanguageToUse(zefir::ui::ChosenLanguage(), QLocale::system()));

    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() == 3 && arguments[0] == QLatin1String("--screenshot"))
        return zefir::ui::TakeScreenshots(arguments[1], arguments[2]);

    zefir::ui::QtDialogs dialogs;
    if (!arguments.isEmpty() && arguments[0] == QLatin1String("--edit"))
        return RunEditor(dialogs, arguments.value(1));

    zefir::ui::ZefirWindows windows(dialogs);
    if (arguments.isEmpty())
        windows.SDIAppForm.show();
    else
        windows.SDIAppForm.OpenArchiveWhenShown(arguments.constFirst());
    return QApplication::exec();
}
