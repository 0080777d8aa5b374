#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "core/archive/Archive.h"
#include "core/archive/Progress.h"
#include "ui/Dialogs.h"
#include "ui/Windows.h"

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace zefir::ui {

// The name Convert image proposes for `source` converted with `filter`: the
// source's folder and name with the filter's extension.
QString ProposedTarget(const QString& source, const QString& filter);

// An error message as the error box shows it: "." appended when the last
// character sorts after ".".
QString ErrorText(std::string_view message);

// Extraction's view of ListBox1: names arrive in archive order and are shown
// sorted alphabetically ignoring case. They are sorted once, when the first
// entry is selected or when extraction stops early.
class MemberList final : public archive::IMemberList {
public:
    explicit MemberList(QListWidget& list) : m_list(list) {}
    ~MemberList() override;
    MemberList(const MemberList&) = delete;
    MemberList& operator=(const MemberList&) = delete;

    void AddName(std::string_view name) override;
    void SelectIndex(int index) override;

private:
    void Flush();

    QListWidget& m_list;
    std::vector<QString> m_pending;
};

// The main window: the member list, the info line and every command.
class TSDIAppForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TSDIAppForm(IDialogs& dialogs);

    // The other windows, created after this one.
    void Attach(TAboutBox& aboutBox, TOKRightDlg& okRightDlg, TForm1& form1, TForm2& form2);

    Settings& settings() { return m_settings; }

    // The open command with the archive already chosen, as when the program
    // is started with an archive: asks for the working folder and extracts.
    void OpenArchive(const QString& archive);
    // Shows this window and runs OpenArchive once the window is on the
    // screen, so that the folder question opens on it, not before it is
    // placed.
    void OpenArchiveWhenShown(const QString& archive);

public slots:
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileExit1Execute();
    void FileNew1Execute();
    void HelpAbout1Execute();
    void Settings1Click();
    void ListBox1Click();
    void CheckBox1Click(bool checked);
    void Button1Click();
    void Convertimage1Click();
    void Convertall2Click();
    void UpdatePreview();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void createActions();
    void CloseViewer();
    fs::path RawFileOf(const QString& member) const;

    // Runs one command; a failure is shown in an error box and the program
    // goes on.
    template <typename Command> void Guarded(Command&& command);
    void ShowError(std::string_view message);
    // Asks once whether to replace `files` of `folder`, naming how many.
    bool AskToReplace(const fs::path& folder, const std::vector<fs::path>& files);
    // Says in the status line what a command did.
    void ShowStatus(const QString& text);
    void TellNothingWritten(const fs::path& source, const std::string& whyNot);
    // Shows `text` and, under it, the files an operation left out.
    void ShowLeftOut(QString text, const std::vector<archive::LeftOut>& leftOut);
    void ShowPackReport(const archive::PackReport& report, const fs::path& folder,
                        const fs::path& output);

    IDialogs& m_dialogs;
    Settings m_settings;
    QString m_startArchive;

    // What the file dialogs remember between commands.
    int m_openFilterIndex = 0;
    QString m_openFileName;
    int m_saveFilterIndex = 0;

    QFrame* Panel2 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* StatusLine = nullptr;
    // The commands whose shortcuts answer in the viewer too.
    QList<QAction*> m_viewerShortcuts;

    TAboutBox* AboutBox = nullptr;
    TOKRightDlg* OKRightDlg = nullptr;
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
};

// The five windows of a run, created hidden in this order; the first is the
// main window.
struct ZefirWindows {
    explicit ZefirWindows(IDialogs& dialogs);

    TSDIAppForm SDIAppForm;
    TAboutBox AboutBox;
    TOKRightDlg OKRightDlg;
    TForm1 Form1;
    TForm2 Form2;
};

} // namespace zefir::ui
