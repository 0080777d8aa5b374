#include "ui/Dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zefir::ui {

namespace {

std::optional<FileAnswer> RunFileDialog(QWidget* parent, const FileRequest& request,
                                        QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    // AnyFile even for opening: a typed name is taken as it is, and some
    // commands only want the folder it points into.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.filters.isEmpty()) {
        dialog.setNameFilters(request.filters);
        if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
            dialog.selectNameFilter(request.filters[request.filterIndex]);
    }
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (request.addFilterExtension) {
        const auto useExtensionOf = [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(FilterExtension(filter).mid(1));
        };
        useExtensionOf(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useExtensionOf);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    int index = request.filters.indexOf(dialog.selectedNameFilter());
    return FileAnswer{dialog.selectedFiles().constFirst(), index < 0 ? 0 : index};
}

} // namespace

QString FilterExtension(const QString& filter)
{
    const qsizetype star = filter.indexOf(QLatin1String("*."));
    if (star < 0)
        return {};
    qsizetype end = star + 2;
    while (end < filter.size() && filter[end].isLetterOrNumber())
        ++end;
    return end > star + 2 ? filter.mid(star + 1, end - star - 1) : QString();
}

std::optional<FileAnswer> QtDialogs::OpenFile(QWidget* parent, const FileRequest& request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<FileAnswer> QtDialogs::SaveFile(QWidget* parent, const FileRequest& request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogs::Folder(QWidget* parent, const QString& title,
                                         const QString& start)
{
    QString folder = QFileDialog::getExistingDirectory(parent, title, start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

void QtDialogs::Message(QWidget* parent, MessageKind kind, const QString& title,
                        const QString& text)
{
    QMessageBox::Icon icon = kind == MessageKind::Critical  ? QMessageBox::Critical
                             : kind == MessageKind::Warning ? QMessageBox::Warning
                                                            : QMessageBox::Information;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

Answer QtDialogs::Ask(QWidget* parent, const Question& question)
{
    QMessageBox box(QMessageBox::Question, question.title, question.text, QMessageBox::NoButton,
                    parent);
    for (Answer answer : question.buttons) {
        const QMessageBox::StandardButton button = answer == Answer::Yes    ? QMessageBox::Yes
                                                   : answer == Answer::No   ? QMessageBox::No
                                                   : answer == Answer::Save ? QMessageBox::Save
                                                   : answer == Answer::Discard
                                                       ? QMessageBox::Discard
                                                       : QMessageBox::Cancel;
        box.addButton(button);
        if (answer == question.buttons.front())
            box.setDefaultButton(button);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Save:
        return Answer::Save;
    case QMessageBox::Discard:
        return Answer::Discard;
    default:
        return Answer::Cancel;
    }
}

} // namespace zefir::ui
