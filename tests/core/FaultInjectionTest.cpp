// Extraction and packing with a write that fails as on a full disk, at every
// write step in turn until a run gets through: each failure must be a clear
// error that leaves no file open, no temporary or half-written file, and the
// user's earlier files (an archive, a conv.dat) as they were.

#include <csignal>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "ArchiveOps.h"
#include "TestUtil.h"
#include "core/FileIo.h"
#include "core/archive/Archive.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {
namespace {

using imagecodec::Format;
using test::Files;
using test::FolderFiles;
using test::Listing;
using test::OpenFiles;
using test::ReadBytes;
using test::TempDir;

// Switches injected write faults off again whatever the outcome.
struct FaultInjection {
    explicit FaultInjection(long n) { fileio::FailWritesAfter(n); }
    ~FaultInjection() { fileio::FailWritesAfter(-1); }
};

// Runs `operation` with a fault after 0, 1, 2, ... successful write steps
// until it succeeds, calling `check` after each failure. Returns the number
// of failures.
long FailAtEveryWrite(const std::function<void(test::RecordingProgress&)>& operation,
                      const std::function<void(const IoError&)>& check)
{
    constexpr long kMaxSteps = 1000;
    for (long n = 0; n < kMaxSteps; ++n) {
        SCOPED_TRACE("a fault after " + std::to_string(n) + " writes");
        const std::size_t openBefore = OpenFiles();
        test::RecordingProgress progress;
        try {
            FaultInjection fault(n);
            operation(progress);
            EXPECT_EQ(OpenFiles(), openBefore);
            return n;
        } catch (const IoError& e) {
            EXPECT_EQ(e.message(), "cannot write: No space left on device");
            EXPECT_EQ(OpenFiles(), openBefore);
            EXPECT_EQ(progress.events.back(), "close");
            check(e);
        }
    }
    ADD_FAILURE() << "no run got through in " << kMaxSteps << " attempts";
    return kMaxSteps;
}

TEST(FaultInjection, AnInterruptedExtractionKeepsTheEarlierMap)
{
    TempDir root;
    WriteArchive(test::PhoneMembers(), root / "in.ezx");
    test::RecordingList list;
    test::RecordingProgress progress;
    // What the extraction gives when nothing fails.
    fs::create_directory(root / "clean");
    UnpackArchive(root / "in.ezx", root / "clean", {true, Format::Bmp}, progress, list);
    const auto clean = FolderFiles(root / "clean");

    for (bool convert : {true, false}) {
        SCOPED_TRACE(convert ? "with conversion" : "without conversion");
        const fs::path work = root / (convert ? "work" : "work-raws");
        fs::create_directory(work);
        // An earlier extraction to PNG left its pictures and its map.
        UnpackArchive(root / "in.ezx", work, {true, Format::Png}, progress, list);
        const auto earlier = FolderFiles(work);
        const auto earlierMap = earlier.at("icons/conv.dat");
        std::set<fs::path> named;
        const long failures = FailAtEveryWrite(
            [&](test::RecordingProgress& p) {
                UnpackArchive(root / "in.ezx", work, {convert, Format::Bmp}, p, list);
            },
            [&](const IoError& e) {
                named.insert(e.path());
                EXPECT_EQ(ReadBytes(work / "icons" / "conv.dat"), earlierMap);
                // Each file is as the earlier extraction left it or whole:
                // nothing half-written, no temporary file.
                for (const auto& [name, bytes] : FolderFiles(work)) {
                    const auto before = earlier.find(name);
                    const auto whole = clean.find(name);
                    EXPECT_TRUE((before != earlier.end() && before->second == bytes) ||
                                (whole != clean.end() && whole->second == bytes))
                        << name;
                }
            });
        // A failure names the file whose write failed, and every file is
        // written in at least two steps (its bytes, then its commit).
        std::set<fs::path> written;
        for (const auto& [name, bytes] : clean)
            if (convert || name.starts_with("raws/"))
                written.insert(work / PathFromUtf8(name));
        EXPECT_EQ(named, written);
        EXPECT_GE(static_cast<std::size_t>(failures), 2 * written.size());
        // The run that got through wrote what a clean one does; without
        // conversion it kept the earlier map.
        auto files = FolderFiles(work);
        for (const auto& [name, bytes] : clean)
            if (convert || name.starts_with("raws/")) {
                EXPECT_EQ(files[name], bytes) << name;
            }
        if (!convert) {
            EXPECT_EQ(files["icons/conv.dat"], earlierMap);
        }
    }
}

TEST(FaultInjection, AnInterruptedPackKeepsTheEarlierArchive)
{
    TempDir root;
    WriteArchive(test::PhoneMembers(), root / "in.ezx");
    test::RecordingList list;
    test::RecordingProgress progress;
    fs::create_directory(root / "work");
    UnpackArchive(root / "in.ezx", root / "work", {true, Format::Bmp}, progress, list);

    for (bool convert : {true, false}) {
        const fs::path folder = root / "work" / (convert ? "icons" : "raws");
        const fs::path expected = root / "expected.ezx";
        const std::size_t members = PackArchive(folder, expected, convert, progress).members;
        const auto expectedBytes = ReadBytes(expected);
        fs::remove(expected);
        const auto folderBefore = Listing(folder);
        // With conversion, every packed file is first kept in a scratch file
        // in the system's temporary folder.
        const std::size_t conversions = convert ? members : 0;
#ifdef _WIN32
        wchar_t temp[MAX_PATH + 1];
        const fs::path scratchFolder(std::wstring(temp, ::GetTempPathW(MAX_PATH + 1, temp)));
#else
        const char* tmpdir = std::getenv("TMPDIR");
        const fs::path scratchFolder = tmpdir && *tmpdir ? tmpdir : "/tmp";
#endif

        for (bool earlier : {false, true}) {
            SCOPED_TRACE(std::string(convert ? "with" : "without") + " conversion, " +
                         (earlier ? "over an earlier archive" : "no archive before"));
            const fs::path out = root / "out" / "iconres.ezx";
            fs::create_directories(out.parent_path());
            if (earlier)
                test::WriteBytes(out, test::Bytes("earlier"));
            const auto outBefore = FolderFiles(out.parent_path());
            // Nothing is ever written into the folder being packed.
            auto expectFolderAsBefore = [&] { EXPECT_EQ(Listing(folder), folderBefore); };
            std::set<fs::path> named;
            const long failures = FailAtEveryWrite(
                [&](test::RecordingProgress& p) { PackArchive(folder, out, convert, p); },
                [&](const IoError& e) {
                    EXPECT_TRUE(e.path() == out || (convert && e.path() == scratchFolder))
                        << e.path();
                    named.insert(e.path());
                    EXPECT_EQ(FolderFiles(out.parent_path()), outBefore);
                    expectFolderAsBefore();
                });
            // Each conversion kept in one step; the archive's head, each
            // member block and the commit.
            EXPECT_GE(static_cast<std::size_t>(failures), conversions + 2 + members);
            EXPECT_EQ(named.size(), convert ? 2u : 1u);
            EXPECT_EQ(FolderFiles(out.parent_path()), (Files{{"iconres.ezx", expectedBytes}}));
            expectFolderAsBefore();
            fs::remove_all(out.parent_path());
        }
    }
}

// SIGTERM while a pack writes its archive: the process ends as the signal
// says, and no temporary file is left beside the target.
TEST(FaultInjection, ASignalLeavesNoTemporaryFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX signals and fork; on Windows the console's control handler removes "
                    "the temporary files, as the command-line check of Ctrl+C shows";
#else
    TempDir root;
    fs::create_directories(root / "big");
    fs::create_directories(root / "out");
    for (int i = 0; i < 512; ++i)
        test::WriteBytes(root / "big" / ("m" + std::to_string(i) + ".k"),
                         std::vector<std::byte>(2048, std::byte{7}));
    test::WriteBytes(root / "out/iconres.ezx", test::Bytes("earlier"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        fileio::RemoveTemporariesOnSignals();
        test::RecordingProgress progress;
        bool sent = false;
        progress.onCaption = [&](std::string_view caption) {
            if (caption == "Packing icons" && !sent) {
                sent = true;
                ::kill(::getpid(), SIGTERM);
            }
        };
        try {
            PackArchive(root / "big", root / "out/iconres.ezx", false, progress);
        } catch (...) {
        }
        ::_exit(sent ? 3 : 4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(test::FolderNames(root / "out"), std::vector<std::string>{"iconres.ezx"});
    EXPECT_EQ(ReadBytes(root / "out/iconres.ezx"), test::Bytes("earlier"));
#endif
}

#ifndef _WIN32
// Runs `child` in a forked process and returns how it ended (waitpid's
// status).
int InChild(const std::function<int()>& child)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(child());
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    return status;
}
#endif

// A signal that arrives at any moment of writing a file, the creating open
// included, leaves no temporary file.
TEST(FaultInjection, ASignalAtAnyMomentLeavesNoTemporaryFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX signals and fork; on Windows the console's control handler removes "
                    "the temporary files, as the command-line check of Ctrl+C shows";
#else
    TempDir dir;
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            fileio::RemoveTemporariesOnSignals();
            for (;;) {
                fileio::OutputFile out(dir / "picture.png");
                out.Write(test::Bytes("not kept"));
            }
        }
        ::usleep(static_cast<useconds_t>(1000 + 700 * run));
        ::kill(pid, run % 2 ? SIGINT : SIGTERM);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{});
    }
#endif
}

TEST(FaultInjection, IgnoredSignalsStayIgnoredAndAFileSizeLimitIsAnError)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX signals and fork; on Windows the console's control handler removes "
                    "the temporary files, as the command-line check of Ctrl+C shows";
#else
    // As under nohup: the hangup the process was started ignoring does not
    // end it.
    const int hangup = InChild([] {
        std::signal(SIGHUP, SIG_IGN);
        fileio::RemoveTemporariesOnSignals();
        ::raise(SIGHUP);
        return 0;
    });
    EXPECT_TRUE(WIFEXITED(hangup) && WEXITSTATUS(hangup) == 0) << "status " << hangup;

    // As under `ulimit -f`: the write fails, and the temporary file goes.
    TempDir dir;
    const int limited = InChild([&dir] {
        fileio::RemoveTemporariesOnSignals();
        const struct rlimit limit {4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            fileio::WriteFile(dir / "big.ezx", std::vector<std::byte>(200000));
        } catch (const IoError& e) {
            return std::string(e.what()) == (dir / "big.ezx").string() +
                                                ": cannot write: File too large"
                       ? 0
                       : 2;
        }
        return 3;
    });
    EXPECT_TRUE(WIFEXITED(limited) && WEXITSTATUS(limited) == 0) << "status " << limited;
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{});
#endif
}

} // namespace
} // namespace zefir::archive
