#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Text.h"
#include "core/archive/EzxFormat.h"

namespace zefir::cli {

std::string DisplayName(const std::string& memberName) { return Cp1251ToUtf8(memberName); }

void AddListCommand(CLI::App& app, Action& action)
{
    auto* list = app.add_subcommand("list", "List the members of an archive: NAME<TAB>SIZE");
    auto archive = std::make_shared<std::string>();
    list->add_option("ARCHIVE", *archive, "the .ezx archive")->required();
    list->callback([&action, archive] {
        action = [archive] {
            archive::ArchiveReader reader(*archive);
            std::string out;
            for (std::size_t i = 0; i < reader.entries().size(); ++i) {
                std::string name = reader.ReadName(i);
                // Extraction skips entries without a name; so does the list.
                if (name.empty())
                    continue;
                out += DisplayName(name);
                out += '\t';
                out += std::to_string(reader.ReadMemberSize(i));
                out += '\n';
            }
            std::cout << out;
            return 0;
        };
    });
}

} // namespace zefir::cli
