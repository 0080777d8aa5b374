#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace zefir::ui {

namespace {

std::optional<FileAnswer> RunFileDialog(QWidget* parent, const FileRequest& request,
                                        QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    // AnyFile even for opening: a typed name is taken as it is, and some
    // commands only want the folder it points into.
    dialog.setFileMode(request.several ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
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
    return FileAnswer{dialog.selectedFiles().constFirst(), index < 0 ? 0 : index,
                      dialog.selectedFiles()};
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
    std::vector<std::pair<QAbstractButton*, Answer>> buttons;
    for (Answer answer : question.buttons) {
        QAbstractButton* button = nullptr;
        switch (answer) {
        case Answer::Yes:
            button = box.addButton(QMessageBox::Yes);
            break;
        case Answer::No:
            button = box.addButton(QMessageBox::No);
            break;
        case Answer::Save:
            button = box.addButton(QMessageBox::Save);
            break;
        case Answer::Discard:
            button = box.addButton(QMessageBox::Discard);
            break;
        case Answer::Cancel:
            button = box.addButton(QMessageBox::Cancel);
            break;
        // No standard button says these.
        case Answer::Reload:
            button = box.addButton(QCoreApplication::translate("zefir::ui::QtDialogs", "&Reload"),
                                   QMessageBox::DestructiveRole);
            break;
        case Answer::SaveAs:
            button =
                box.addButton(QCoreApplication::translate("zefir::ui::QtDialogs", "Save &As..."),
                              QMessageBox::AcceptRole);
            break;
        }
        buttons.emplace_back(button, answer);
        if (answer == question.buttons.front())
            box.setDefaultButton(qobject_cast<QPushButton*>(button));
    }
    box.exec();
    for (const auto& [button, answer] : buttons)
        if (box.clickedButton() == button)
            return answer;
    return Answer::Cancel;
}

} // namespace zefir::ui
