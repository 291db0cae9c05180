// What Windows adds to the programs' dealings with files: an existing output
// the system will not let anyone replace, Unicode and very long names, a
// file system that ignores case, drive-relative and backslashed names.
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <windows.h>

namespace {

using testing_support::Bytes;
using testing_support::bytes_of;
using testing_support::run_in;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchDir;
namespace fs = std::filesystem;

// Holds a file open as another program would, without delete sharing, so
// that the file cannot be replaced while it is held.
class HeldOpen {
public:
    explicit HeldOpen(const fs::path& path)
        : handle_(
              CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    { }
    ~HeldOpen() { CloseHandle(handle_); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

TEST(WindowsOutput, KeepsAnEarlierOutputThatCannotBeReplaced)
{
    struct Case {
        const char* what;
        // Makes x.lzs unreplaceable while the run lasts.
        std::function<void(const ScratchDir&, const std::function<void()>&)> during;
    } cases[] = {
        {"read-only",
         [](const ScratchDir& dir, const std::function<void()>& run) {
             fs::permissions(dir / "x.lzs",
                             fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
             run();
             fs::permissions(dir / "x.lzs", fs::perms::owner_write, fs::perm_options::add);
         }},
        {"held open",
         [](const ScratchDir& dir, const std::function<void()>& run) {
             HeldOpen held(dir / "x.lzs");
             ASSERT_TRUE(held.held());
             run();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        dir.write("x.bin", std::string("some input"));
        dir.write("x.lzs", std::string("earlier output"));
        RunResult result;
        c.during(dir, [&] { result = run_in(dir, LZSPACK_PATH, {"x.bin"}); });
        EXPECT_EQ(result.status, 5);
        EXPECT_EQ(result.err, "Can't rename temporary file to x.lzs!\n\n");
        EXPECT_EQ(dir.read("x.lzs"), bytes_of("earlier output"));
        EXPECT_EQ(dir.entries(), (std::set<std::string>{"x.bin", "x.lzs"}));
    }
}

TEST(WindowsNames, PacksAUnicodeNameAndShowsItAsGiven)
{
    ScratchDir dir;
    const char8_t name[] = u8"d\u00e9j\u00e0-\u4e2d\u6587.bin";
    std::string utf8(reinterpret_cast<const char*>(name));
    testing_support::write_file(dir.path() / fs::path(name), bytes_of("abc"));
    RunResult result = run_in(dir, LZSPACK_PATH, {utf8});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, utf8 + ":        3 -->       13  [433.33%]\n");
    EXPECT_TRUE(fs::exists(dir.path() / fs::path(u8"d\u00e9j\u00e0-\u4e2d\u6587.lzs")));
}

TEST(WindowsNames, PacksANameLongerThan260Characters)
{
    ScratchDir dir;
    std::string sub(200, 'd');
    std::string name = sub + "\\" + std::string(200, 'n');
    fs::create_directory(dir / sub);
    testing_support::write_file(dir.path() / sub / std::string(200, 'n').append(".bin"), bytes_of("abc"));
    RunResult result = run_in(dir, LZSPACK_PATH, {name + ".bin"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::exists(dir.path() / sub / std::string(200, 'n').append(".lzs")));
}

TEST(WindowsNames, RefusesAnOutputThatIsTheInputUnderAnotherCase)
{
    ScratchDir dir;
    dir.write("DATA.LZS", std::string("not a packed file"));
    RunResult result = run_in(dir, LZSPACK_PATH, {"DATA.LZS"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Can't write DATA.lzs: it is the input file!\n\n");
    EXPECT_EQ(dir.read("DATA.LZS"), bytes_of("not a packed file"));
    EXPECT_EQ(dir.entries(), std::set<std::string>{"DATA.LZS"});
}

TEST(WindowsNames, WritesBesideABackslashedOrDriveRelativeInput)
{
    ScratchDir dir;
    fs::create_directory(dir / "sub");
    dir.write("sub/x.bin", std::string("abc"));
    dir.write("y.bin", std::string("abc"));
    // The scratch directory is the current one on its drive, so C:y.bin is
    // y.bin in it.
    std::string drive = dir.path().string().substr(0, 2);
    for (const std::string& input : {std::string("sub\\x.bin"), drive + "y.bin"}) {
        RunResult result = run_in(dir, LZSPACK_PATH, {input});
        EXPECT_EQ(result.status, 0) << input << ": " << result.err;
        EXPECT_NE(result.out.find(input + ":"), std::string::npos) << result.out;
    }
    EXPECT_TRUE(fs::exists(dir / "sub" / "x.lzs"));
    EXPECT_TRUE(fs::exists(dir / "y.lzs"));
}

}  // namespace

namespace {

// Names are case-blind on Windows, so are the kinds lzsunpack reads from
// them: an extension in capitals or a fixed name in another case.
TEST(WindowsNames, LzsunpackTellsTheKindOfANameInAnyCase)
{
    ScratchDir dir;
    dir.write("io.bin", std::string("abcabcabc"));
    ASSERT_EQ(run_in(dir, LZSPACK_PATH, {"io.bin"}).status, 0);
    fs::rename(dir / "io.lzs", dir / "IO.LZS");
    ASSERT_EQ(run_program(CHKPAK_PATH, {}, dir.path()).status, 0);  // no chkps.lzs: the built-in image
    fs::rename(dir / "chkps.pak", dir / "CHKPS.PAK");
    RunResult result = run_program(LZSUNPACK_PATH, {"IO.LZS"}, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(dir.read("IO"), bytes_of("abcabcabc"));
    // The built-in image holds no stream, so the kind is known and the
    // refusal is about the image, not its name.
    result = run_program(LZSUNPACK_PATH, {"CHKPS.PAK"}, dir.path());
    EXPECT_EQ(result.err.find("give it with -t"), std::string::npos) << result.err;
}

}  // namespace
