#pragma once

#include <functional>
#include <string>

namespace CLI {
class App;
}

namespace zefir::cli {

// A subcommand sets the action to run once the arguments are parsed; the
// action returns the exit code. IoError escapes to main.
using Action = std::function<int()>;

void AddListCommand(CLI::App& app, Action& action);
void AddArchiveCommands(CLI::App& app, Action& action);
void AddConvertCommands(CLI::App& app, Action& action);
void AddThumbnailCommand(CLI::App& app, Action& action);
void AddEditCommands(CLI::App& app, Action& action);

// A name from an archive (Windows-1251 bytes) as UTF-8 for the terminal.
std::string DisplayName(const std::string& memberName);

} // namespace zefir::cli
