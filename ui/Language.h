#pragma once

#include <QString>
#include <QStringList>

class QLocale;
class QMenu;
class QWidget;

namespace zefir::ui {

class IDialogs;

// The languages the program speaks, as their translation files name them:
// "en", "ru", "zh_CN".
QStringList Languages();

// The language chosen in View, Language, remembered between runs; empty
// when the program follows the system.
QString ChosenLanguage();
void ChooseLanguage(const QString& language);

// The language a run speaks: the chosen one, or else the first of the
// system's languages the program speaks, or else English.
QString LanguageToUse(const QString& chosen, const QLocale& system);

// Where the translation files are looked for: beside the program (Windows,
// and the build folder), then where installing put them.
QStringList TranslationFolders();

// Puts the program, Qt's own dialogs and the core's messages into
// `language`, its files looked for in `folders` first. Returns whether the
// program's own translation was found; English then still has its plural
// forms ("1 member"), which come from a translation file too. Called once,
// before any window is made: the windows take their texts when made.
bool InstallTranslations(const QString& language, const QStringList& folders = {});

// View, Language: System and each language in its own name. A choice is
// remembered and applies from the next start, which the user is told
// through `dialogs`.
QMenu* AddLanguageMenu(QMenu& view, IDialogs& dialogs, QWidget* parent);

} // namespace zefir::ui
