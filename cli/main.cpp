#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Error.h"

int main(int argc, char** argv)
{
    CLI::App app{"Zefir: reads, converts and writes the icon archive (iconres.ezx) of the "
                 "Motorola ROKR E2 phone",
                 "zefir-cli"};
    app.set_version_flag("--version", "0.3");
    app.require_subcommand(1);

    zefir::cli::Action action;
    zefir::cli::AddListCommand(app, action);
    zefir::cli::AddArchiveCommands(app, action);
    zefir::cli::AddConvertCommands(app, action);
    zefir::cli::AddThumbnailCommand(app, action);
    zefir::cli::AddEditCommands(app, action);

    try {
        app.parse(argc, argv);
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

    try {
        return action ? action() : 0;
    } catch (const zefir::IoError& e) {
        std::cerr << "zefir-cli: " << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "zefir-cli: out of memory\n";
        return 1;
    }
}
