#pragma once

#include <functional>
#include <string>

namespace CLI {
class App;
class Validator;
} // namespace CLI

namespace zefir::cli {

// A subcommand sets the action to run once the arguments are parsed; the
// action returns the exit code. IoError escapes to main.
using Action = std::function<int()>;

void AddListCommand(CLI::App& app, Action& action);
void AddArchiveCommands(CLI::App& app, Action& action);
void AddConvertCommands(CLI::App& app, Action& action);
void AddThumbnailCommand(CLI::App& app, Action& action);
void AddEditCommands(CLI::App& app, Action& action);

// A name from an archive (Windows-1251 bytes) as UTF-8 for the terminal,
// escaped so that it stays on its line: "\t", "\n", "\r", "\\", "\xHH".
std::string DisplayName(const std::string& memberName);

// Refuses an empty path argument: "" names no file, and an empty -o would
// otherwise mean "no -o" and edit ARCHIVE in place.
const CLI::Validator& NonEmptyPath();

} // namespace zefir::cli
