// Writes a large archive for the benchmark. Usage:
//   zefir-make-bench-archive OUTPUT.ezx COUNT [--large]
// The members are BenchMembers.h's; --large is for the memory measurement.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchMembers.h"
#include "core/Error.h"

using namespace zefir;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: zefir-make-bench-archive OUTPUT.ezx COUNT [--large]\n");
        return 2;
    }
    const unsigned count = static_cast<unsigned>(std::stoul(argv[2]));
    const bool large = argc > 3 && std::strcmp(argv[3], "--large") == 0;
    try {
        std::vector<archive::Member> members;
        members.reserve(count);
        for (unsigned i = 0; i < count; ++i)
            members.push_back(bench::MakeMember(i, large));
        archive::WriteArchive(members, argv[1]);
    } catch (const IoError& e) {
        std::fprintf(stderr, "zefir-make-bench-archive: %s\n", e.what());
        return 1;
    }
    return 0;
}
