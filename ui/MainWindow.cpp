#include "ui/MainWindow.h"

#include <algorithm>
#include <exception>
#include <new>
#include <system_error>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/ConvertAll.h"
#include "core/archive/WorkFolder.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"
#include "ui/ArchiveEditor.h"
#include "ui/Language.h"

namespace zefir::ui {

namespace {

using imagecodec::Format;
using imagecodec::ImageKind;

// The dialogs' filters, in the user's language; the patterns in brackets
// stay as they are.
QString EzxFilter()
{
    return TSDIAppForm::tr("EZX files (*.ezx)");
}

QStringList PhoneOrPictureFilters()
{
    return {TSDIAppForm::tr("Moto Files (*.k *.g)"),
            TSDIAppForm::tr("Image Files (*.bmp *.gif *.png)")};
}

QStringList PictureFilters()
{
    return {TSDIAppForm::tr("BMP Image (*.bmp)"), TSDIAppForm::tr("GIF Image (*.gif)"),
            TSDIAppForm::tr("PNG Image (*.png)")};
}

QStringList PhoneFilters()
{
    return {TSDIAppForm::tr("Moto Bitmap 18-bit (*.k)"),
            TSDIAppForm::tr("Moto Bitmap 32-bit (*.k)"), TSDIAppForm::tr("Moto Image (*.g)")};
}

// The filter of PhoneFilters() that says what the picture at `path` becomes:
// a GIF or PNG picture goes into a Moto Image whichever kind is asked for
// (as a picture named ".bmp" never does), so the dialog must not offer it
// as a Moto Bitmap; `chosen` otherwise.
int PhoneFilterFor(const fs::path& path, int chosen)
{
    constexpr std::size_t kSignatureBytes = 16;
    constexpr int kMotoImageFilter = 2;
    try {
        if (imagecodec::PhoneKindOfPicture(Utf8Of(path.filename()),
                                           fileio::ReadPrefix(path, kSignatureBytes)) ==
            ImageKind::ikMotoImage)
            return kMotoImageFilter;
    } catch (const IoError&) {
        // The conversion itself says what is wrong with the file.
    }
    return chosen;
}

// The picture format chosen by the filter of PictureFilters().
Format FormatOfFilter(int index)
{
    return index == 0 ? Format::Bmp : index == 1 ? Format::Gif : Format::Png;
}

// The phone format chosen by the filter of PhoneFilters().
ImageKind KindOfFilter(int index)
{
    return index == 0   ? ImageKind::ikMotoBitmap18
           : index == 1 ? ImageKind::ikMotoBitmap32
                        : ImageKind::ikMotoImage;
}

// Whether the file picked in a dialog offering "Moto Files" is one (".k" or
// ".g"): the folder's phone files are then taken rather than its pictures.
bool IsMotoFile(const fs::path& path)
{
    const std::string name = Utf8Of(path.filename());
    return imagecodec::IsPhoneFileName(name) && imagecodec::KindOfName(name) != ImageKind::ikRaw;
}

// The info line's format word: the Moto Bitmap variant; for a Moto Image the
// picture it holds; for the rest the format a preview picture of the member
// would be written in.
QString FormatWord(ImageKind kind, imagecodec::MotoImageContent content, Format preview)
{
    if (kind == ImageKind::ikMotoBitmap18)
        return TSDIAppForm::tr("18-bit BMP");
    if (kind == ImageKind::ikMotoBitmap32)
        return TSDIAppForm::tr("32-bit BMP");
    const bool gif = kind == ImageKind::ikMotoImage ? content == imagecodec::MotoImageContent::Gif
                                                    : preview == Format::Gif;
    return gif ? QStringLiteral("GIF") : QStringLiteral("PNG");
}

// Extraction reports a member file it cannot write, or will not write over
// what stands in its way, by naming that file; the user is told which one
// before the error itself.
bool IsMemberFileFailure(const IoError& error, const fs::path& workFolder)
{
    return (error.kind() == ErrorKind::CannotWrite || error.kind() == ErrorKind::Refused) &&
           error.path().parent_path() == archive::RawsFolder(workFolder);
}

// Packing reports a file of the folder that has gone missing since it was
// listed by naming that file.
bool IsMissingFile(const IoError& error, const fs::path& folder)
{
    const fs::path& file = error.path();
    std::error_code ignored;
    return error.kind() == ErrorKind::CannotOpen && file.parent_path() == folder &&
           !fs::exists(file, ignored);
}

// The end of a status line: how many files were left out, if any.
QString LeftOutNote(std::size_t n)
{
    return n == 0 ? QString() : TSDIAppForm::tr("; %n files left out", nullptr, int(n));
}

bool LessIgnoringCase(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// `path` with the extension of `filter` when it has none of its own, as the
// save dialog adds it.
QString WithFilterExtension(const QString& path, const QString& filter)
{
    return QFileInfo(path).suffix().isEmpty() ? path + FilterExtension(filter) : path;
}

// The same file, also when named by another path; a missing file is only
// itself.
bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ignored;
    return fs::equivalent(a, b, ignored) || a.lexically_normal() == b.lexically_normal();
}

} // namespace

QString ProposedTarget(const QString& source, const QString& filter)
{
    const QFileInfo info(source);
    return QDir(info.path()).filePath(info.completeBaseName() + FilterExtension(filter));
}

QString ErrorText(std::string_view message)
{
    QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        text += QCoreApplication::translate("zefir::ui", ".",
                                            "the full stop that ends an error message");
    return text;
}

MemberList::~MemberList()
{
    // Names extracted before a failure still show.
    Flush();
}

void MemberList::AddName(std::string_view name)
{
    m_pending.push_back(QString::fromStdString(Cp1251ToUtf8(name)));
}

void MemberList::SelectIndex(int index)
{
    Flush();
    if (index >= 0 && index < m_list.count()) {
        QSignalBlocker quiet(m_list);
        m_list.setCurrentRow(index);
    }
}

void MemberList::Flush()
{
    if (m_pending.empty())
        return;
    QSignalBlocker quiet(m_list);
    for (int i = 0; i < m_list.count(); ++i)
        m_pending.push_back(m_list.item(i)->text());
    // Stable: names equal but for case keep the archive's order.
    std::stable_sort(m_pending.begin(), m_pending.end(), LessIgnoringCase);
    m_list.clear();
    for (const QString& name : m_pending)
        m_list.addItem(name);
    m_pending.clear();
}

TSDIAppForm::TSDIAppForm(IDialogs& dialogs) : m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("SDIAppForm"));
    setWindowTitle(QStringLiteral("Zefir 0.3"));
    setWindowIcon(ApplicationIcon());
    constexpr QSize kOuterSize{360, 276};
    resize(ClientSize(kOuterSize));
    PlaceOnScreen(*this, {197, 111}, kOuterSize);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    Panel2 = new QFrame(client);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setGeometry(-8, 0, 360, 33);

    Label1 = new QLabel(Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(PixelFont(QStringLiteral("Tahoma"), 13));
    Label1->move(16, 8);
    Label1->adjustSize();

    ListBox1 = new QListWidget(client);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setFont(PixelFont(QStringLiteral("Tahoma"), 13));
    ListBox1->setGeometry(16, 40, 201, 161);
    ListBox1->setUniformItemSizes(true);

    Button1 = new QPushButton(tr("Save Picture"), client);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(PixelFont(QStringLiteral("Tahoma"), 13));
    Button1->setGeometry(240, 40, 97, 25);

    CheckBox1 = new QCheckBox(tr("Show preview"), client);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setFont(PixelFont(QStringLiteral("Tahoma"), 13));
    CheckBox1->setGeometry(240, 88, 105, 17);
    FitText(*CheckBox1, CheckBox1->width());

    // What the last command did, in one line.
    // A label rather than a passing message: moving over the menus does not
    // wipe it.
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(false);
    StatusLine = new QLabel(statusBar());
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    statusBar()->addWidget(StatusLine, 1);

    setTabOrder(ListBox1, Button1);
    setTabOrder(Button1, CheckBox1);

    connect(ListBox1, &QListWidget::currentRowChanged, this, &TSDIAppForm::ListBox1Click);
    connect(Button1, &QPushButton::clicked, this, &TSDIAppForm::Button1Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &TSDIAppForm::CheckBox1Click);

    createActions();
    FormCreate();
}

void TSDIAppForm::FormCreate()
{
    m_settings.TargetFormat = Format::Bmp;
    m_settings.FormatChoice = 2;
    m_settings.ConvertEnabled = true;
    m_settings.ShowPreview = false;
}

void TSDIAppForm::createActions()
{
    auto makeAction = [this](const char* name, const QString& text, auto slot) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    QStyle* look = style();

    auto* fileOpen = makeAction("FileOpen1", tr("&Open EZX..."), &TSDIAppForm::FileOpen1Execute);
    fileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    fileOpen->setIcon(look->standardIcon(QStyle::SP_DirOpenIcon));
    auto* fileSaveAs =
        makeAction("FileSaveAs1", tr("&Save to EZX..."), &TSDIAppForm::FileSave1Execute);
    fileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fileSaveAs->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    auto* fileExit = makeAction("FileExit1", tr("E&xit"), &TSDIAppForm::FileExit1Execute);
    // The archive editor, a window of its own; no shortcut, as the others
    // all belong to the commands above.
    auto* editArchive = new QAction(tr("&Edit Archive..."), this);
    editArchive->setObjectName(QStringLiteral("EditArchive1"));
    connect(editArchive, &QAction::triggered, this, [this] { EditArchive(this, m_dialogs); });

    auto* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addAction(fileOpen);
    file->addAction(fileSaveAs);
    file->addAction(editArchive);
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    file->addAction(fileExit);

    auto* convertImage =
        makeAction("Convertimage1", tr("Convert &image"), &TSDIAppForm::Convertimage1Click);
    convertImage->setIcon(look->standardIcon(QStyle::SP_BrowserReload));
    auto* convertAll =
        makeAction("Convertall2", tr("Convert &all"), &TSDIAppForm::Convertall2Click);
    auto* converter = menuBar()->addMenu(tr("&Converter"));
    converter->setObjectName(QStringLiteral("Converter1"));
    converter->addAction(convertImage);
    converter->addAction(convertAll);

    // The language, remembered for the next start; the menu stands beside
    // the classic ones.
    auto* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("View1"));
    AddLanguageMenu(*view, m_dialogs, this);

    menuBar()->addAction(makeAction("Settings1", tr("&Settings"), &TSDIAppForm::Settings1Click));

    auto* about = makeAction("HelpAbout1", tr("&About..."), &TSDIAppForm::HelpAbout1Execute);
    about->setIcon(look->standardIcon(QStyle::SP_MessageBoxInformation));
    auto* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    help->addAction(about);

    // Off the menu but answering its shortcut while the window is active.
    // Ctrl+S belongs to "Save to EZX..." alone: two actions sharing a
    // shortcut would cancel each other.
    auto* fileNew = makeAction("FileNew1", tr("&New"), &TSDIAppForm::FileNew1Execute);
    fileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addAction(fileNew);

    // The shortcuts answer in the viewer too: it is part of this window's
    // work, and a user who clicked its zoom still expects Ctrl+O to open.
    // In these two windows only: the Archive Editor's Ctrl+S and Ctrl+O are
    // its own.
    m_viewerShortcuts = {fileOpen, fileSaveAs, fileNew};
}

void TSDIAppForm::Attach(TAboutBox& aboutBox, TOKRightDlg& okRightDlg, TForm1& form1, TForm2& form2)
{
    AboutBox = &aboutBox;
    OKRightDlg = &okRightDlg;
    Form1 = &form1;
    Form2 = &form2;
    Form2->addActions(m_viewerShortcuts);
}

template <typename Command> void TSDIAppForm::Guarded(Command&& command)
{
    try {
        command();
    } catch (const IoError& e) {
        ShowError(e.what());
    } catch (const std::bad_alloc&) {
        ShowError(tr("out of memory").toStdString());
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TSDIAppForm::ShowError(std::string_view message)
{
    // An operation that stops early leaves no progress window behind.
    Form1->Close();
    m_dialogs.Message(this, MessageKind::Critical, ApplicationTitle(), ErrorText(message));
}

void TSDIAppForm::TellNothingWritten(const fs::path& source, const std::string& whyNot)
{
    const QString name = ToQString(source.filename());
    const QString text =
        whyNot.empty()
            ? tr("Nothing was written for %1").arg(name)
            : tr("Nothing was written for %1: %2").arg(name, QString::fromStdString(whyNot));
    m_dialogs.Message(this, MessageKind::Information, ApplicationTitle(),
                      ErrorText(text.toStdString()));
}

void TSDIAppForm::ShowPackReport(const archive::PackReport& report, const fs::path& folder,
                                 const fs::path& output)
{
    const int members = int(report.members);
    ShowStatus(report.written
                   ? tr("Packed %n members into %1", nullptr, members).arg(ToQString(output)) +
                         LeftOutNote(report.leftOut.size())
                   : tr("Nothing was packed"));
    if (!report.written)
        ShowLeftOut(tr("Nothing was packed: %1 holds no file to pack, so %2 was not written.")
                        .arg(ToQString(folder), ToQString(output)),
                    report.leftOut);
    else if (!report.leftOut.empty())
        ShowLeftOut(tr("%1 holds %n members. Left out:", nullptr, members).arg(ToQString(output)),
                    report.leftOut);
}

void TSDIAppForm::ShowStatus(const QString& text)
{
    StatusLine->setText(text);
}

void TSDIAppForm::ShowLeftOut(QString text, const std::vector<archive::LeftOut>& leftOut)
{
    QStringList lines;
    for (const archive::LeftOut& file : leftOut)
        lines << FromUtf8(file.file + ": " + file.reason);
    m_dialogs.Message(this, MessageKind::Information, ApplicationTitle(),
                      WithLines(std::move(text), lines));
}

void TSDIAppForm::CloseViewer()
{
    if (Form2->isVisible())
        Form2->close();
}

fs::path TSDIAppForm::RawFileOf(const QString& member) const
{
    return archive::MemberFile(m_settings.WorkFolder, member.toStdString());
}

void TSDIAppForm::UpdatePreview()
{
    if (!m_settings.ShowPreview)
        return;
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    Form2->SourceFile = RawFileOf(name);
    // The preview follows the user's work in this window, which keeps the
    // keyboard. Some window managers give a newly shown window the keyboard
    // anyway, so it is asked back; asked of the window system, since here
    // this window may still look active, the viewer's activation yet to come.
    Form2->show();
    Form2->raise();
    windowHandle()->requestActivate();
    Form2->DrawPicture();

    const QSize size = Form2->PictureSize();
    Label1->setText(
        QStringLiteral("%1  %2x%3   %4")
            .arg(name)
            .arg(size.width())
            .arg(size.height())
            .arg(FormatWord(Form2->SourceKind(), Form2->SourceContent(), m_settings.TargetFormat)));
    Label1->adjustSize();
}

void TSDIAppForm::FileOpen1Execute()
{
    CloseViewer();
    auto answer = m_dialogs.OpenFile(
        this, {tr("Open EZX file"), {EzxFilter()}, m_openFilterIndex, m_openFileName, {}});
    if (!answer)
        return;
    m_openFilterIndex = answer->filterIndex;
    m_openFileName = answer->path;
    OpenArchive(answer->path);
}

void TSDIAppForm::OpenArchiveWhenShown(const QString& archive)
{
    m_startArchive = archive;
    show();
    windowHandle()->installEventFilter(this);
}

bool TSDIAppForm::eventFilter(QObject* watched, QEvent* event)
{
    QWindow* handle = windowHandle();
    if (watched == handle && event->type() == QEvent::Expose && handle->isExposed()) {
        handle->removeEventFilter(this);
        // Once this exposure is painted, so that the question has a window
        // to stand on.
        QTimer::singleShot(0, this, [this] { OpenArchive(std::exchange(m_startArchive, {})); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TSDIAppForm::OpenArchive(const QString& archive)
{
    CloseViewer();
    const QFileInfo info(archive);
    const fs::path archivePath = ToPath(info.absoluteFilePath());
    const QString archiveFolder = info.absolutePath();
    // Cancelling extracts next to the archive.
    const auto chosen = m_dialogs.Folder(this, tr("Select a folder to save icons"), archiveFolder);
    const fs::path folder = ToPath(chosen.value_or(archiveFolder));

    ListBox1->clear();
    const archive::ConversionSettings conversion{m_settings.ConvertEnabled,
                                                 m_settings.TargetFormat};
    std::vector<archive::LeftOut> notConverted;
    try {
        // Files the user edited since an earlier extraction are replaced
        // only when the user says so.
        const auto conflicts = archive::FindExtractionConflicts(archivePath, folder, conversion);
        if (!conflicts.differing.empty() && !AskToReplace(folder, conflicts.differing))
            return;
        // Files extracted before a failure are there to preview.
        m_settings.WorkFolder = folder;
        MemberList list(*ListBox1);
        m_settings.WorkFolder = archive::UnpackArchive(
            archivePath, folder, conversion, *Form1, list, &notConverted,
            conflicts.differing.empty() ? archive::Overwrite::Refuse : archive::Overwrite::Replace,
            // A member not extracted is not converted either.
            &notConverted);
    } catch (const IoError& e) {
        if (IsMemberFileFailure(e, folder))
            m_dialogs.Message(this, MessageKind::Critical, tr("Error"), ToQString(e.path()));
        ShowError(e.what());
        return;
    } catch (const std::exception& e) {
        ShowError(e.what());
        return;
    }
    ShowStatus(
        tr("Extracted %n members into %1", nullptr, ListBox1->count()).arg(ToQString(folder)) +
        (notConverted.empty()
             ? QString()
             : tr("; %n members not converted", nullptr, int(notConverted.size()))));
    if (ListBox1->count() > 0)
        Guarded([this] { UpdatePreview(); });
}

bool TSDIAppForm::AskToReplace(const fs::path& folder, const std::vector<fs::path>& files)
{
    // A few names are enough for the user to recognise their work.
    constexpr std::size_t kNamed = 5;
    QStringList names;
    for (std::size_t i = 0; i < files.size() && i < kNamed; ++i)
        names << ToQString(files[i].lexically_relative(folder));
    if (files.size() > kNamed)
        names << QStringLiteral("...");
    const QString text = tr("%n files in %1 differ from what extraction writes (%2). Replace them?",
                            nullptr, int(files.size()))
                             .arg(ToQString(folder), names.join(QStringLiteral(", ")));
    return m_dialogs.Ask(this, {ApplicationTitle(), text, {Answer::Cancel, Answer::Yes}}) ==
           Answer::Yes;
}

void TSDIAppForm::FileSave1Execute()
{
    CloseViewer();
    auto source = m_dialogs.OpenFile(this, {tr("Select folder and file to take icons from"),
                                            PhoneOrPictureFilters(),
                                            m_openFilterIndex,
                                            {},
                                            {}});
    if (!source)
        return;
    m_openFilterIndex = source->filterIndex;
    m_openFileName = source->path;
    const fs::path chosen = ToPath(source->path);
    const fs::path folder = chosen.parent_path();
    // A phone file picked packs phone files as they are; anything else packs
    // standard pictures converted back. The setting itself is left alone.
    const bool convert = !IsMotoFile(chosen);

    auto output = m_dialogs.SaveFile(this, {tr("Select file to save EZX"),
                                            {EzxFilter()},
                                            m_saveFilterIndex,
                                            QStringLiteral("iconres.ezx"),
                                            ToQString(folder)});
    if (!output)
        return;
    m_saveFilterIndex = output->filterIndex;
    const fs::path outputPath = ToPath(output->path);

    try {
        auto report = archive::PackArchive(folder, outputPath, convert, *Form1);
        ShowPackReport(report, folder, outputPath);
    } catch (const IoError& e) {
        if (IsMissingFile(e, folder))
            m_dialogs.Message(this, MessageKind::Critical, tr("Not Found"),
                              ToQString(e.path().filename()));
        ShowError(e.what());
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TSDIAppForm::FileExit1Execute()
{
    close();
}

void TSDIAppForm::FileNew1Execute() {}

void TSDIAppForm::HelpAbout1Execute()
{
    AboutBox->exec();
}

void TSDIAppForm::Settings1Click()
{
    if (OKRightDlg->exec() != QDialog::Accepted)
        return;
    if (OKRightDlg->ConversionChecked()) {
        m_settings.TargetFormat = static_cast<Format>(m_settings.FormatChoice);
        m_settings.ConvertEnabled = true;
    } else {
        m_settings.TargetFormat = Format::Bmp;
        m_settings.FormatChoice = 2;
        m_settings.ConvertEnabled = false;
    }
}

void TSDIAppForm::ListBox1Click()
{
    if (ListBox1->count() > 0)
        Guarded([this] { UpdatePreview(); });
}

void TSDIAppForm::CheckBox1Click(bool checked)
{
    if (checked) {
        m_settings.ShowPreview = true;
        if (ListBox1->count() > 0)
            Guarded([this] { UpdatePreview(); });
    } else {
        m_settings.ShowPreview = false;
        Form2->close();
    }
}

void TSDIAppForm::Button1Click()
{
    // Without a selected member there is nothing to save.
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item)
        return;
    const fs::path source = RawFileOf(item->text());
    auto target = m_dialogs.SaveFile(
        this, {tr("Save picture as"), PictureFilters(), m_saveFilterIndex, {}, {}});
    if (!target)
        return;
    m_saveFilterIndex = target->filterIndex;
    Guarded([&] {
        fs::path targetPath = ToPath(target->path);
        ImageKind kind = ImageKind::ikUnknown;
        std::string whyNot;
        // The dialog asked about the chosen name only; a Moto Image comes out
        // under the name of what it holds, and a file there is not replaced.
        if (!imagecodec::ConvertFromPhone(source, targetPath, FormatOfFilter(target->filterIndex),
                                          kind, &whyNot, imagecodec::Overwrite::Refuse))
            TellNothingWritten(source, whyNot);
        else
            ShowStatus(
                tr("Saved %1 as %2").arg(ToQString(source.filename()), ToQString(targetPath)));
    });
}

void TSDIAppForm::Convertimage1Click()
{
    CloseViewer();
    auto source = m_dialogs.OpenFile(
        this, {tr("Open picture"), PhoneOrPictureFilters(), m_openFilterIndex, {}, {}});
    if (!source)
        return;
    m_openFilterIndex = source->filterIndex;
    m_openFileName = source->path;
    // The filter the file was picked with decides the direction, not the
    // file's extension.
    const bool fromPhone = source->filterIndex == 0;
    const QStringList filters = fromPhone ? PictureFilters() : PhoneFilters();
    // The source's folder and name with the extension of the format the
    // dialog opens with: accepting it at once must not replace the source.
    int filterIndex = std::clamp(m_saveFilterIndex, 0, int(filters.size()) - 1);
    if (!fromPhone)
        filterIndex = PhoneFilterFor(ToPath(source->path), filterIndex);
    FileRequest request{tr("Save picture as"),
                        filters,
                        filterIndex,
                        ProposedTarget(source->path, filters[filterIndex]),
                        {}};
    request.addFilterExtension = true;
    auto target = m_dialogs.SaveFile(this, request);
    if (!target)
        return;
    m_saveFilterIndex = target->filterIndex;

    const fs::path sourcePath = ToPath(source->path);
    fs::path targetPath = ToPath(WithFilterExtension(
        target->path, filters[std::clamp(target->filterIndex, 0, int(filters.size()) - 1)]));
    if (SameFile(sourcePath, targetPath)) {
        m_dialogs.Message(
            this, MessageKind::Warning, ApplicationTitle(),
            tr("%1 is the file being converted; choose another name for the converted picture.")
                .arg(ToQString(targetPath)));
        return;
    }
    Guarded([&] {
        std::string whyNot;
        bool written = false;
        if (fromPhone) {
            ImageKind kind = ImageKind::ikUnknown;
            written = imagecodec::ConvertFromPhone(sourcePath, targetPath,
                                                   FormatOfFilter(target->filterIndex), kind,
                                                   &whyNot, imagecodec::Overwrite::Refuse);
        } else {
            written =
                imagecodec::ConvertToPhone(sourcePath, KindOfFilter(target->filterIndex),
                                           targetPath, &whyNot, imagecodec::Overwrite::Refuse);
        }
        if (!written)
            TellNothingWritten(sourcePath, whyNot);
        else
            ShowStatus(tr("Converted %1 into %2")
                           .arg(ToQString(sourcePath.filename()), ToQString(targetPath)));
    });
}

void TSDIAppForm::Convertall2Click()
{
    CloseViewer();
    auto source = m_dialogs.OpenFile(
        this,
        {tr("Select source image folder"), PhoneOrPictureFilters(), m_openFilterIndex, {}, {}});
    if (!source)
        return;
    m_openFilterIndex = source->filterIndex;
    m_openFileName = source->path;
    const fs::path chosen = ToPath(source->path);
    const fs::path sourceFolder = chosen.parent_path();
    auto target = m_dialogs.Folder(this, tr("Select target image folder"), ToQString(sourceFolder));
    if (!target)
        return;
    // A phone file picked converts the folder's phone files; anything else
    // its standard pictures.
    const bool fromPhone = IsMotoFile(chosen);

    Guarded([&] {
        const fs::path targetFolder = ToPath(*target);
        const auto convert = [&](archive::Overwrite overwrite) {
            return archive::ConvertAll(sourceFolder, targetFolder, fromPhone,
                                       m_settings.TargetFormat, overwrite);
        };
        archive::ConvertAllReport report;
        try {
            report = convert(archive::Overwrite::Refuse);
        } catch (const IoError& e) {
            // Only files already in the target folder are refused; they are
            // replaced when the user says so.
            if (e.kind() != ErrorKind::Refused)
                throw;
            if (m_dialogs.Ask(this, {ApplicationTitle(),
                                     tr("%1 Replace them?").arg(ErrorText(e.what())),
                                     {Answer::Cancel, Answer::Yes}}) != Answer::Yes)
                return;
            report = convert(archive::Overwrite::Replace);
        }
        std::vector<archive::LeftOut> leftOut = report.leftOut;
        leftOut.insert(leftOut.end(), report.failed.begin(), report.failed.end());
        const int written = int(report.written.size());
        ShowStatus(tr("Converted %n files from %1 into %2", nullptr, written)
                       .arg(ToQString(sourceFolder), *target) +
                   LeftOutNote(leftOut.size()));
        if (!leftOut.empty())
            ShowLeftOut(tr("Converted %n files from %1. Left out:", nullptr, written)
                            .arg(ToQString(sourceFolder)),
                        leftOut);
    });
}

ZefirWindows::ZefirWindows(IDialogs& dialogs)
    : SDIAppForm(dialogs), AboutBox(&SDIAppForm), OKRightDlg(SDIAppForm.settings(), &SDIAppForm),
      Form1(&SDIAppForm), Form2(&SDIAppForm)
{
    SDIAppForm.Attach(AboutBox, OKRightDlg, Form1, Form2);
}

} // namespace zefir::ui
