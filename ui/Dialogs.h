#pragma once

#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

class QWidget;

namespace zefir::ui {

// What a command asks of a file dialog. The commands keep, between calls,
// what the dialogs would remember: the selected filter and the file name.
struct FileRequest {
    QString title;
    // Qt name filters, e.g. "EZX files (*.ezx)"; empty lists every file.
    QStringList filters;
    // The filter selected when the dialog opens, counted from 0.
    int filterIndex = 0;
    // A file name or a full path to propose; empty for none.
    QString fileName;
    // The folder to open in when fileName names none.
    QString directory;
    // Save dialogs: a typed name without an extension gets the one of the
    // filter selected, and the question before replacing a file is about
    // that name.
    bool addFilterExtension = false;
    // Open dialogs: several existing files may be chosen.
    bool several = false;
};

struct FileAnswer {
    QString path;
    // The filter selected when the user confirmed, counted from 0.
    int filterIndex = 0;
    // Every file chosen when several could be, `path` first; may be empty
    // when only `path` was.
    QStringList paths = {};
};

// The extension a name filter stands for: ".bmp" for "BMP Image (*.bmp)",
// the first one when it lists several; empty for none.
QString FilterExtension(const QString& filter);

enum class MessageKind { Critical, Warning, Information };

// The buttons of a question, and the answer: the button pressed, or Cancel
// when the box was closed.
enum class Answer { Yes, No, Save, Discard, Cancel, Reload, SaveAs };
struct Question {
    QString title;
    QString text;
    // The buttons offered, in order; the first is the default.
    std::vector<Answer> buttons;
};

// The dialogs and message boxes the main window runs. The program uses the
// Qt ones; tests answer from a script and record what was asked.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Each returns nothing when the user cancels.
    virtual std::optional<FileAnswer> OpenFile(QWidget* parent, const FileRequest& request) = 0;
    virtual std::optional<FileAnswer> SaveFile(QWidget* parent, const FileRequest& request) = 0;
    virtual std::optional<QString> Folder(QWidget* parent, const QString& title,
                                          const QString& start) = 0;
    virtual void Message(QWidget* parent, MessageKind kind, const QString& title,
                         const QString& text) = 0;
    virtual Answer Ask(QWidget* parent, const Question& question) = 0;
};

// QFileDialog and QMessageBox. The file dialogs accept typed names that do
// not exist yet and add no extension unless asked to; the save dialogs ask
// before replacing a file.
class QtDialogs final : public IDialogs {
public:
    std::optional<FileAnswer> OpenFile(QWidget* parent, const FileRequest& request) override;
    std::optional<FileAnswer> SaveFile(QWidget* parent, const FileRequest& request) override;
    std::optional<QString> Folder(QWidget* parent, const QString& title,
                                  const QString& start) override;
    void Message(QWidget* parent, MessageKind kind, const QString& title,
                 const QString& text) override;
    Answer Ask(QWidget* parent, const Question& question) override;
};

} // namespace zefir::ui
