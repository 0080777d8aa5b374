#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/Commands.h"
#include "core/Text.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/PhonePictures.h"

namespace zefir::cli {

std::string DisplayName(const std::string& memberName)
{
    return PrintableName(memberName);
}

const CLI::Validator& NonEmptyPath()
{
    static const CLI::Validator validator(
        [](const std::string& path) {
            return path.empty() ? std::string("an empty path names no file") : std::string();
        },
        "PATH");
    return validator;
}

void AddListCommand(CLI::App& app, Action& action)
{
    auto* list = app.add_subcommand(
        "list", "List the members of an archive: NAME<TAB>SIZE, with --long also "
                "KIND<TAB>WxH as info gives them. Names are printed with tab, line feed, "
                "carriage return and backslash as \\t, \\n, \\r and \\\\, other control "
                "characters as \\xHH; commands take names in that form");
    auto archive = std::make_shared<std::string>();
    auto isLong = std::make_shared<bool>(false);
    list->add_option("ARCHIVE", *archive, "the .ezx archive")->required()->check(NonEmptyPath());
    list->add_flag("--long", *isLong,
                   "add each member's kind and picture size (0x0 when it cannot be decoded)");
    list->callback([&action, archive, isLong] {
        action = [archive, isLong] {
            archive::ArchiveReader reader(*archive);
            std::string out;
            std::vector<std::byte> buffer;
            for (std::size_t i = 0; i < reader.entries().size(); ++i) {
                std::string name = reader.ReadName(i);
                // Extraction skips entries without a name; so does the list.
                if (name.empty())
                    continue;
                out += DisplayName(name);
                out += '\t';
                out += std::to_string(reader.ReadMemberSize(i));
                if (*isLong) {
                    // One buffer for every member: memory does not grow with
                    // the archive.
                    reader.ReadMember(i, buffer);
                    const auto info = imagecodec::InspectPhonePicture(name, buffer);
                    out += '\t';
                    out += imagecodec::KindInfo(info.kind).label;
                    out += '\t' + std::to_string(info.width) + "x" + std::to_string(info.height);
                }
                out += '\n';
            }
            std::cout << out;
            return 0;
        };
    });
}

} // namespace zefir::cli
