// zefir-bench-editor ARCHIVE first|all: the Archive Editor opening ARCHIVE,
// for `make bench`. Prints "first-icon S s" when the first decoded icon has
// been painted, or "all-loaded S s" once every tile is loaded, S being the
// seconds since the process started, and quits.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include <QApplication>
#include <QTimer>

#include "ui/ArchiveEditor.h"
#include "ui/ArchiveEditorGallery.h"
#include "ui/Dialogs.h"

namespace {

// From the system's record of the process, so that loading the program and
// its libraries counts too; negative when /proc cannot tell.
double SecondsSinceProcessStart()
{
    std::ifstream statFile("/proc/self/stat");
    const std::string stat((std::istreambuf_iterator<char>(statFile)),
                           std::istreambuf_iterator<char>());
    // Field 22, the start time in clock ticks since boot, counted after the
    // command name, which may hold blanks.
    const auto close = stat.rfind(')');
    if (close == std::string::npos || close + 2 > stat.size())
        return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    int i = 3;
    while (i <= 22 && fields >> field)
        ++i;
    double uptime = 0;
    if (i <= 22 || !(std::ifstream("/proc/uptime") >> uptime))
        return -1;
    return uptime - std::stod(field) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void Report(const char* what)
{
    std::printf("%s %.3f s\n", what, SecondsSinceProcessStart());
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() != 2 ||
        (arguments[1] != QLatin1String("first") && arguments[1] != QLatin1String("all"))) {
        std::fprintf(stderr, "usage: zefir-bench-editor ARCHIVE first|all\n");
        return 2;
    }
    zefir::ui::QtDialogs dialogs;
    zefir::ui::ArchiveEditor editor(dialogs);
    if (arguments[1] == QLatin1String("first"))
        QObject::connect(editor.View().findChild<zefir::ui::GalleryDelegate*>(),
                         &zefir::ui::GalleryDelegate::firstIconPainted, &editor,
                         [] { Report("first-icon"); });
    else
        QObject::connect(&editor.Gallery(), &zefir::ui::GalleryModel::allLoaded, &editor,
                         [] { Report("all-loaded"); });
    editor.show();
    const QString archive = arguments[0];
    QTimer::singleShot(0, &editor, [&editor, archive] {
        if (!editor.OpenArchive(archive))
            QCoreApplication::exit(1);
    });
    return QApplication::exec();
}
