#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <fcntl.h>
#include <unistd.h>

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

// A standard stream the caller closed is taken by a harmless file, so that
// no file opened later takes its number and receives what is printed.
// Standard output is taken read-only: writing to it still fails, as it
// must.
void OccupyClosedStandardStreams()
{
    const int flags[] = {O_RDONLY, O_RDONLY, O_WRONLY};
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && ::open("/dev/null", flags[fd]) != fd)
            std::_Exit(1);
}

// The first word that is no option must be a command: an unknown one is
// named, with the commands there are, rather than called missing.
bool RefuseUnknownCommand(CLI::App& app, int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-')
        return false;
    const std::string word = argv[1];
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
    OccupyClosedStandardStreams();
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

    if (RefuseUnknownCommand(app, argc, argv))
        return 2;
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

    // An interrupted run leaves no temporary file behind.
    zefir::fileio::RemoveTemporariesOnSignals();
    try {
        return CheckStandardOutput(action ? action() : 0);
    } catch (const zefir::IoError& e) {
        std::cerr << "zefir-cli: " << e.what() << '\n';
        return 1;
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << "zefir-cli: " << e.path1().string() << ": " << e.code().message() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "zefir-cli: out of memory\n";
        return 1;
    }
}
