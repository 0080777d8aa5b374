// The translations: complete against the texts the sources hold now, their
// places and accelerators kept, and the windows in Russian and Chinese
// showing no English words but names, their texts fitting.

#include <map>

#include <QAbstractButton>
#include <QComboBox>
#include <QDockWidget>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include "UiTestSupport.h"
#include "ui/ArchiveEditor.h"
#include "ui/Language.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;

namespace {

struct Entry {
    bool numerus = false;
    bool finished = false;
    QStringList forms;
};
// (context, source) -> its translation.
using Catalogue = std::map<std::pair<QString, QString>, Entry>;

Catalogue ReadTs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    Catalogue out;
    QXmlStreamReader xml(&file);
    QString context, source;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            entry = {};
            entry.numerus =
                xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (name == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            entry.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            if (!entry.numerus)
                entry.forms << xml.readElementText();
            out[{context, source}] = entry;
        } else if (name == QLatin1String("numerusform")) {
            out[{context, source}].forms << xml.readElementText();
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return out;
}

// What the sources hold now, as lupdate finds them.
Catalogue SourceTexts(const QString& language)
{
    static std::map<QString, Catalogue> made;
    if (made.count(language))
        return made[language];
    QTemporaryDir dir;
    const QString ts = dir.filePath(QStringLiteral("zefir_%1.ts").arg(language));
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(ZEFIR_SOURCE_DIR));
    lupdate.start(
        QStringLiteral(ZEFIR_LUPDATE),
        {QStringLiteral("-silent"), QStringLiteral("-tr-function-alias"),
         QStringLiteral("QT_TRANSLATE_NOOP+=ZEFIR_MESSAGE,QT_TRANSLATE_N_NOOP3+=ZEFIR_PLURAL"),
         QStringLiteral("-I"), QStringLiteral("."), QStringLiteral("-extensions"),
         QStringLiteral("cpp,h"), QStringLiteral("core"), QStringLiteral("ui"),
         QStringLiteral("-ts"), ts});
    if (!lupdate.waitForFinished(60000) || lupdate.exitCode() != 0)
        qFatal("lupdate failed: %s", lupdate.readAllStandardError().constData());
    return made[language] = ReadTs(ts);
}

QString TsFile(const QString& language)
{
    return QStringLiteral(ZEFIR_SOURCE_DIR "/ui/translations/zefir_%1.ts").arg(language);
}

// What a translation must carry over from its source: the places, the
// file patterns of dialog filters, the window title's "[*]", a trailing
// "..." and whether there is an accelerator.
QStringList Carried(const QString& text)
{
    static const QRegularExpression kept(
        QStringLiteral(R"(%L?[1-9n]|\*\.[a-z]+|\(\*\)|\[\*\]|\.\.\.$)"));
    QStringList out;
    for (auto it = kept.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    if (QString(text).remove(QStringLiteral("&&")).contains(QLatin1Char('&')))
        out << QStringLiteral("&");
    out.sort();
    return out;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void everyTextIsTranslated_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("forms");
        QTest::newRow("ru") << "ru" << 3;
        QTest::newRow("zh_CN") << "zh_CN" << 1;
    }

    void everyTextIsTranslated()
    {
#ifdef _WIN32
        QSKIP("lupdate is the build machine's program, which a Windows program cannot start; "
              "the Linux build checks the translations");
#endif
        QFETCH(QString, language);
        QFETCH(int, forms);
        const Catalogue sources = SourceTexts(language);
        const Catalogue translated = ReadTs(TsFile(language));
        QVERIFY(sources.size() > 300);
        QCOMPARE(translated.size(), sources.size());
        for (const auto& [key, source] : sources) {
            const QString where = key.first + QStringLiteral(": ") + key.second;
            const auto found = translated.find(key);
            QVERIFY2(found != translated.end(), qPrintable(where + " is missing"));
            const Entry& entry = found->second;
            QVERIFY2(entry.finished, qPrintable(where + " is unfinished"));
            QCOMPARE(entry.numerus, source.numerus);
            QVERIFY2(entry.forms.size() == (entry.numerus ? forms : 1), qPrintable(where));
            for (const QString& form : entry.forms) {
                QVERIFY2(!form.isEmpty(), qPrintable(where + " has an empty form"));
                QVERIFY2(Carried(form) == Carried(key.second),
                         qPrintable(where + " -> " + form + ": places or accelerator differ"));
            }
        }
    }

    // English needs only its plural forms: one, and the source's for the rest.
    void englishHasEveryPluralForm()
    {
#ifdef _WIN32
        QSKIP("lupdate is the build machine's program, which a Windows program cannot start");
#endif
        const Catalogue sources = SourceTexts(QStringLiteral("en"));
        const Catalogue english = ReadTs(TsFile(QStringLiteral("en")));
        int plurals = 0;
        for (const auto& [key, source] : sources) {
            if (!source.numerus)
                continue;
            ++plurals;
            const auto found = english.find(key);
            QVERIFY2(found != english.end() && found->second.finished, qPrintable(key.second));
            QCOMPARE(found->second.forms.size(), 2);
            QCOMPARE(found->second.forms[1], key.second);
            QCOMPARE(Carried(found->second.forms[0]), Carried(key.second));
        }
        QCOMPARE(int(english.size()), plurals);
    }

    void theLanguageFollowsTheChoiceThenTheSystem_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("used");
        QTest::newRow("Russian system") << ""
                                        << "ru_RU"
                                        << "ru";
        QTest::newRow("Chinese system") << ""
                                        << "zh_CN"
                                        << "zh_CN";
        QTest::newRow("Singapore") << ""
                                   << "zh_SG"
                                   << "zh_CN";
        QTest::newRow("traditional characters") << ""
                                                << "zh_TW"
                                                << "en";
        QTest::newRow("another language") << ""
                                          << "de_DE"
                                          << "en";
        QTest::newRow("chosen over the system") << "en"
                                                << "ru_RU"
                                                << "en";
        QTest::newRow("a choice it does not speak") << "fr"
                                                    << "ru_RU"
                                                    << "ru";
    }

    void theLanguageFollowsTheChoiceThenTheSystem()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, system);
        QFETCH(QString, used);
        QCOMPARE(LanguageToUse(chosen, QLocale(system)), used);
    }

    // Last: from here on the program speaks each language in turn, the one
    // installed last taking precedence.
    void theWindowsShowNoEnglishButNamesAndTheirTextsFit_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("ru") << "ru";
        QTest::newRow("zh_CN") << "zh_CN";
    }

    void theWindowsShowNoEnglishButNamesAndTheirTextsFit()
    {
        QFETCH(QString, language);
        QVERIFY(InstallTranslations(language, {QStringLiteral(ZEFIR_TRANSLATIONS_DIR)}));
        // Qt's own buttons too, where the system has Qt's translation.
        if (QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                          QStringLiteral("/qtbase_%1.qm").arg(language)))
            QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel") !=
                    QLatin1String("Cancel"));
        Session s;
        s.SetPreview(true);
        s.Open();
        s.Select(QStringLiteral("a.k"));
        s.windows.OKRightDlg.show();
        s.windows.AboutBox.show();
        s.windows.Form1.Show();
        s.windows.Form1.SetCaption(
            QCoreApplication::translate("zefir::archive", "Extracting icons").toStdString());
        ArchiveEditor editor(s.dialogs);
        editor.show();
        QVERIFY(editor.OpenArchive(Q(s.archive)));

        const QStringList names = s.Names();
        QVERIFY(!names.isEmpty());
        QStringList texts;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            texts << window->windowTitle();
            for (QWidget* w : window->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(window))
                    continue;
                texts << w->toolTip();
                if (auto* label = qobject_cast<QLabel*>(w))
                    texts << label->text();
                else if (auto* button = qobject_cast<QAbstractButton*>(w))
                    texts << button->text();
                else if (auto* edit = qobject_cast<QLineEdit*>(w))
                    texts << edit->placeholderText();
                else if (auto* dock = qobject_cast<QDockWidget*>(w))
                    texts << dock->windowTitle();
                else if (auto* box = qobject_cast<QComboBox*>(w)) {
                    texts << box->placeholderText();
                    for (int i = 0; i < box->count(); ++i)
                        texts << box->itemText(i);
                }
            }
            for (QMenu* menu : window->findChildren<QMenu*>()) {
                texts << menu->title();
                for (QAction* action : menu->actions())
                    texts << action->text();
            }
        }
        QVERIFY(texts.size() > 60);
        // Names: the program's, the phone's, the formats', and the members'
        // and files' own.
        static const QRegularExpression allowed(QStringLiteral(
            R"(\b(Zefir|EZX|ROKR|E2|Moto|Bitmap|Image|GIF|PNG|BMP|JPEG|JPG|Ctrl|English|raw|[1-8][xX])\b|\S+\.\w+)"));
        for (QString text : texts) {
            const QString shown = text;
            for (const QString& name : names)
                text.remove(name);
            text.remove(allowed);
            QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}"))),
                     qPrintable(QStringLiteral("English in \"%1\"").arg(shown)));
        }

        // The classic windows place their texts at fixed sizes: each fits,
        // still readable where it had to be set smaller, and the main
        // window's menus stay on one line.
        for (QWidget* window : std::initializer_list<QWidget*>{
                 &s.main, &s.windows.AboutBox, &s.windows.OKRightDlg, &s.windows.Form2}) {
            for (QWidget* w : window->findChildren<QWidget*>()) {
                if (w->window() != window || w->objectName().isEmpty() ||
                    (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w)))
                    continue;
                // The info line and the status line take the width they need.
                if (w->objectName() == QLatin1String("StatusLine") ||
                    (w->objectName() == QLatin1String("Label1") && window == &s.main))
                    continue;
                const QString where = window->objectName() + QLatin1Char('.') + w->objectName();
                // A push button's own hint asks for more room than any text needs.
                auto* push = qobject_cast<QPushButton*>(w);
                const int needed = push ? push->fontMetrics().horizontalAdvance(push->text()) + 8
                                        : w->sizeHint().width();
                QVERIFY2(needed <= w->width(), qPrintable(where + QStringLiteral(" is cut")));
                QVERIFY2(QFontInfo(w->font()).pixelSize() >= 9,
                         qPrintable(where + QStringLiteral(" is set too small")));
            }
        }
        QMenuBar* bar = s.main.menuBar();
        QVERIFY(bar->heightForWidth(s.main.width()) <= bar->sizeHint().height());
        s.windows.Form1.Close();
    }
};

QTEST_MAIN(TranslationsTest)
#include "TranslationsTest.moc"
