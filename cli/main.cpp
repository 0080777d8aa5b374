#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"

namespace {

// Whatever was printed reached standard output: a full disk or a closed
// output is a failure, not a success with nothing shown.
int CheckStandardOutput(int code)
{
    std::cout.flush();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout) && std::cout.good())
        return code;
    std::cerr << "zefir-cli: standard output: cannot write"
              << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
    return 1;
}

// The first word that is no option must be a command: an unknown one is
// named, with the commands there are, rather than called missing.
bool RefuseUnknownCommand(CLI::App& app, const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2 || arguments[1].starts_with('-'))
        return false;
    const std::string& word = arguments[1];
    std::string known;
    for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
        if (command->get_name() == word)
            return false;
        known += (known.empty() ? "" : ", ") + command->get_name();
    }
    std::cerr << "zefir-cli: unknown command \"" << zefir::Printable(word)
              << "\"; the commands are " << known << " (zefir-cli --help tells more)\n";
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    zefir::fileio::PrepareStandardStreams();
    const std::vector<std::string> arguments = zefir::fileio::ArgumentsAsUtf8(argc, argv);
    CLI::App app{"Zefir: reads, converts and writes the icon archive (iconres.ezx) of the "
                 "Motorola ROKR E2 phone",
                 "zefir-cli"};
    app.set_version_flag("--version", "0.3");
    app.require_subcommand(1);
    // Options are spelled the same everywhere; an argument starting with
    // "/" is a path.
    app.allow_windows_style_options(false);

    zefir::cli::Action action;
    zefir::cli::AddListCommand(app, action);
    zefir::cli::AddArchiveCommands(app, action);
    zefir::cli::AddConvertCommands(app, action);
    zefir::cli::AddThumbnailCommand(app, action);
    zefir::cli::AddEditCommands(app, action);

    if (RefuseUnknownCommand(app, arguments))
        return 2;
    try {
        std::vector<char*> utf8Argv;
        for (const std::string& argument : arguments)
            utf8Argv.push_back(const_cast<char*>(argument.c_str()));
        app.parse(static_cast<int>(utf8Argv.size()), utf8Argv.data());
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // Usage mistakes exit 2, after the message and the usage.
        app.exit(e);
        return 2;
    }

    // An interrupted run leaves no temporary file behind.
    zefir::fileio::RemoveTemporariesOnSignals();
    try {
        return CheckStandardOutput(action ? action() : 0);
    } catch (const zefir::IoError& e) {
        std::cerr << "zefir-cli: " << e.what() << '\n';
        return 1;
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << "zefir-cli: " << zefir::Utf8Of(e.path1()) << ": " << e.code().message() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "zefir-cli: out of memory\n";
        return 1;
    }
}
