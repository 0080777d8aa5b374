#include "ui/Language.h"

#include <climits>
#include <cstdint>
#include <string>

#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QSettings>
#include <QTranslator>

#include "core/Message.h"
#include "ui/Dialogs.h"

namespace zefir::ui {

namespace {

const QString kLanguageKey = QStringLiteral("language");

// The program's translation, which the core's messages are looked up in
// too. It lives until the program ends, as messages are made until then.
QTranslator* g_program = nullptr;

// The core asks from any thread; a loaded translator is only read.
std::string TranslateCore(const MessageText& message, std::optional<std::uint64_t> count)
{
    if (g_program == nullptr)
        return {};
    // Plural rules look at the last digits, which a cut keeps; a large
    // count never reads as one.
    const int n = !count             ? -1
                  : *count > INT_MAX ? static_cast<int>(*count % 1000000000 + 1000000000)
                                     : static_cast<int>(*count);
    const QString text = g_program->translate(message.context, message.text, message.singular, n);
    return text.isEmpty() ? std::string() : text.toStdString();
}

bool LoadFrom(QTranslator& translator, const QString& name, const QStringList& folders)
{
    for (const QString& folder : folders)
        if (translator.load(name, folder))
            return true;
    return false;
}

} // namespace

QStringList Languages()
{
    return {QStringLiteral("en"), QStringLiteral("ru"), QStringLiteral("zh_CN")};
}

QString ChosenLanguage()
{
    const QString chosen = QSettings().value(kLanguageKey).toString();
    return Languages().contains(chosen) ? chosen : QString();
}

void ChooseLanguage(const QString& language)
{
    QSettings settings;
    if (language.isEmpty())
        settings.remove(kLanguageKey);
    else
        settings.setValue(kLanguageKey, language);
}

QString LanguageToUse(const QString& chosen, const QLocale& system)
{
    if (Languages().contains(chosen))
        return chosen;
    for (const QString& name : system.uiLanguages()) {
        const QLocale locale(name);
        switch (locale.language()) {
        case QLocale::English:
            return QStringLiteral("en");
        case QLocale::Russian:
            return QStringLiteral("ru");
        case QLocale::Chinese:
            // Traditional characters are another translation, not this one.
            if (locale.script() != QLocale::TraditionalChineseScript)
                return QStringLiteral("zh_CN");
            break;
        default:
            break;
        }
    }
    return QStringLiteral("en");
}

QStringList TranslationFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {program + QStringLiteral("/translations"),
            QDir::cleanPath(program + QStringLiteral("/../share/zefir/translations")),
            QStringLiteral(ZEFIR_INSTALLED_TRANSLATIONS)};
}

bool InstallTranslations(const QString& language, const QStringList& folders)
{
    const QStringList where = folders + TranslationFolders();
    auto* program = new QTranslator(QCoreApplication::instance());
    const bool found = LoadFrom(*program, QStringLiteral("zefir_") + language, where);
    if (found) {
        QCoreApplication::installTranslator(program);
        g_program = program;
        SetTranslator(TranslateCore);
    } else {
        delete program;
    }
    // The standard dialogs' buttons and file dialogs: Qt's own translation,
    // where the system has it, or beside the program on Windows.
    if (language != QLatin1String("en")) {
        auto* qt = new QTranslator(QCoreApplication::instance());
        if (LoadFrom(*qt, QStringLiteral("qtbase_") + language,
                     QStringList{QLibraryInfo::path(QLibraryInfo::TranslationsPath)} + where))
            QCoreApplication::installTranslator(qt);
        else
            delete qt;
    }
    return found;
}

QMenu* AddLanguageMenu(QMenu& view, IDialogs& dialogs, QWidget* parent)
{
    QMenu* menu = view.addMenu(QCoreApplication::translate("zefir::ui::Language", "&Language"));
    menu->setObjectName(QStringLiteral("LanguageMenu"));
    auto* group = new QActionGroup(menu);
    const QString chosen = ChosenLanguage();
    // Each language in its own name, so that a user who cannot read the
    // present one still finds theirs.
    const std::pair<QString, QString> choices[] = {
        {QString(), QCoreApplication::translate("zefir::ui::Language", "System")},
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("ru"), QStringLiteral("Русский")},
        {QStringLiteral("zh_CN"), QStringLiteral("简体中文")},
    };
    for (const auto& [language, name] : choices) {
        QAction* action = menu->addAction(name);
        action->setObjectName(QStringLiteral("Language_") +
                              (language.isEmpty() ? QStringLiteral("System") : language));
        action->setCheckable(true);
        action->setChecked(language == chosen);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [language, &dialogs, parent] {
            if (language == ChosenLanguage())
                return;
            ChooseLanguage(language);
            // The windows take their texts when they are made.
            dialogs.Message(parent, MessageKind::Information,
                            QCoreApplication::translate("zefir::ui::Language", "Language"),
                            QCoreApplication::translate(
                                "zefir::ui::Language",
                                "Zefir speaks the chosen language from its next start."));
        });
    }
    return menu;
}

} // namespace zefir::ui
