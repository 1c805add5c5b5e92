#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/settings_globals.h"
#include "model/report_message.h"
#include "tests/support/case_name.h"
#include "tests/support/fake_props.h"

namespace fs = std::filesystem;

namespace {

// The Stool's file is missing.
FakeProps g_props;
constexpr int kMissingProp = 2;  // Stool

template <int prop>
double PropVisible() { return g_props.visible[prop]; }
template <int category>
double ReportFlag() { return ReportFlags[category]; }

// Every value the settings file can touch, named by its key where it has one.
struct Probe {
    const char* name;
    double (*value)();
};
const Probe kProbes[] = {
    {"RenderTableSet4", PropVisible<0>},
    {"RenderTableSet2", PropVisible<1>},
    {"RenderStool", PropVisible<2>},
    {"RenderSpeaker", PropVisible<3>},
    {"RenderSpotLight", PropVisible<4>},
    {"RenderPlant", PropVisible<5>},
    {"RenderBooth", PropVisible<6>},
    {"RenderVideoGame", PropVisible<7>},
    {"RenderTableGame", PropVisible<8>},
    {"DisplayTextures", [] { return double(DisplayTextures); }},
    {"NumRequestedSpots", [] { return double(NumRequestedSpots); }},
    {"ActiveSpotCount", [] { return double(ActiveSpotCount); }},
    {"RenderEngine", [] { return double(RenderEngine); }},
    {"RequestedRenderEngine", [] { return double(RequestedRenderEngine); }},
    {"RenderShadows", [] { return double(RenderShadows); }},
    {"SimpleLighting", [] { return double(SimpleLighting); }},
    {"RenderRt3DShadows", [] { return double(RenderRt3DShadows); }},
    {"RenderRtReflections", [] { return double(RenderRtReflections); }},
    {"RenderRt3DTextures", [] { return double(RenderRt3DTextures); }},
    {"ClubAmbient", [] { return double(ClubAmbient); }},
    {"MainLightLevel", [] { return double(MainLightLevel); }},
    {"MinMusicDetect", [] { return double(MinMusicDetect.load()); }},
    {"StatChoice", [] { return double(StatChoice); }},
    {"Stereo3DScale", [] { return double(Stereo3DScale); }},
    {"Stereo3DInvert", [] { return double(Stereo3DInvert); }},
    {"ReportFlags0", ReportFlag<0>},
    {"ReportNoAudioWarn", ReportFlag<1>},
    {"ReportVrWarn", ReportFlag<2>},
    {"Report3DSoundWarn", ReportFlag<3>},
    {"ReportRtWarn", ReportFlag<4>},
    {"SettingsDirty", [] { return double(SettingsDirty); }},
};

using Values = std::map<std::string, double>;

Values Observe() {
    Values values;
    for (const Probe& probe : kProbes) values[probe.name] = probe.value();
    return values;
}

void ExpectValues(const Values& got, const Values& want) {
    for (const auto& [name, value] : want) {
        // Values pass through single precision and "%f"; a few units in the last place.
        EXPECT_FLOAT_EQ(float(got.at(name)), float(value)) << name;
    }
}

std::string FileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs each test in a fresh current directory with the start values in force.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldDir = fs::current_path();
        std::string dir = (fs::temp_directory_path() / "velmoranth-settings-XXXXXX").string();
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = dir;
        fs::current_path(m_dir);
        SetSettingsStartValues();
        MinMusicDetect = 20.0f;
        RequestedRenderEngine = -1;
        RayTracingAvailable = 1;
        g_props.present.fill(true);
        g_props.present[kMissingProp] = false;
        g_props.visible.fill(1);
        BindPropVisibility(&g_props);
    }
    void TearDown() override {
        BindPropVisibility(nullptr);
        fs::current_path(m_oldDir);
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }
    static void WriteFile(const std::string& text) {
        std::ofstream("Velmoranth.ini", std::ios::binary) << text;
    }
    static std::string SettingsText() { return FileText("Velmoranth.ini"); }

    fs::path m_dir;

private:
    fs::path m_oldDir;
};

// ---- what a write reports ----

struct Message {
    int category;
    std::string text;
};
std::vector<Message> g_messages;
void Record(const char* text, int category) { g_messages.push_back({category, text}); }

// A write and the messages it reported.
struct WriteOutcome {
    int status = -1;
    std::vector<Message> messages;
};

// The messages of a child, through a pipe: the category, a tab, the text and a zero byte each.
void SendMessages(int fd) {
    for (const Message& m : g_messages) {
        const std::string record = std::to_string(m.category) + '\t' + m.text + '\0';
        if (write(fd, record.data(), record.size()) != ssize_t(record.size())) _exit(101);
    }
}
std::vector<Message> ReceiveMessages(int fd) {
    std::string all;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) all.append(buffer, size_t(n));
    std::vector<Message> messages;
    std::istringstream in(all);
    for (std::string record; std::getline(in, record, '\0');) {
        const std::size_t tab = record.find('\t');
        messages.push_back({std::stoi(record.substr(0, tab)), record.substr(tab + 1)});
    }
    return messages;
}

// Root may write anywhere, so a run as root makes an unprivileged write as user "nobody" in a
// child.
WriteOutcome Write(bool unprivileged = false) {
    g_messages.clear();
    if (!unprivileged || geteuid() != 0) {
        const int status = WriteSettings();
        return {status, g_messages};
    }
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        constexpr uid_t kNobody = 65534;
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
        const int status = WriteSettings();
        SendMessages(fds[1]);
        _exit(status);
    }
    close(fds[1]);
    WriteOutcome outcome;
    outcome.messages = ReceiveMessages(fds[0]);
    close(fds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return {};
    outcome.status = WEXITSTATUS(status);
    return outcome;
}

// One message, naming the file and the reason.
void ExpectOneFailureMessage(const WriteOutcome& outcome, const std::string& reason) {
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].category, ReportCategory::Failure);
    const std::string& text = outcome.messages[0].text;
    EXPECT_NE(text.find("Velmoranth.ini"), std::string::npos) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
}

class SettingsWriteTest : public SettingsFileTest {
protected:
    void SetUp() override {
        SettingsFileTest::SetUp();
        SetReportMessageHandler(&Record);
    }
    void TearDown() override {
        SetReportMessageHandler(&ShowReportedMessage);
        SettingsFileTest::TearDown();
    }
};

TEST_F(SettingsFileTest, StartValuesAreWrittenInKeyOrder) {
    WriteFile(std::string(4000, '#'));  // an older, longer file leaves nothing behind
    RequestedRenderEngine = 2;          // the engine in force is saved, not a pending request
    ASSERT_EQ(WriteSettings(), 0);
    EXPECT_EQ(SettingsText(),
              "Version 1\n"
              "RenderTableSet4 1\n"
              "RenderTableSet2 1\n"
              "RenderStool 0\n"
              "RenderSpeaker 1\n"
              "RenderSpotLight 1\n"
              "RenderPlant 1\n"
              "RenderBooth 1\n"
              "RenderVideoGame 1\n"
              "RenderTableGame 1\n"
              "DisplayTextures 1\n"
              "NumRequestedSpots 3\n"
              "RenderEngine 0\n"
              "RenderShadows 1\n"
              "SimpleLighting 0\n"
              "RenderRt3DShadows 1\n"
              "RenderRtReflections 1\n"
              "RenderRt3DTextures 1\n"
              "ClubAmbient 0.100000\n"
              "MinMusicDetect 20.000000\n"
              "StatChoice 2\n"
              "Stereo3DScale 1.000000\n"
              "Stereo3DInvert 1\n"
              "ReportNoAudioWarn 1\n"
              "ReportVrWarn 1\n"
              "Report3DSoundWarn 1\n"
              "ReportRtWarn 1\n");
    EXPECT_EQ(FolderEntries(m_dir), std::vector<std::string>{"Velmoranth.ini"});
}

// Another writer's temporary file, a kept mode and a link to a file elsewhere: the write
// replaces only the settings file's contents.
TEST_F(SettingsFileTest, AnotherWritersTemporaryFileIsLeftAlone) {
    std::ofstream("Velmoranth.ini.tmp") << "another writer";
    ASSERT_EQ(WriteSettings(), 0);
    EXPECT_EQ(FileText("Velmoranth.ini.tmp"), "another writer");
    EXPECT_EQ(SettingsText().rfind("Version 1\n", 0), 0u);
}

TEST_F(SettingsFileTest, TheFileKeepsItsMode) {
    WriteFile("Version 1\n");
    fs::permissions("Velmoranth.ini", fs::perms(0640));
    ASSERT_EQ(WriteSettings(), 0);
    EXPECT_EQ(fs::status("Velmoranth.ini").permissions(), fs::perms(0640));
}

struct LinkCase {
    const char* name;
    bool targetExists;
};

class SettingsLinkTest : public SettingsWriteTest,
                         public ::testing::WithParamInterface<LinkCase> {};

TEST_P(SettingsLinkTest, IsWrittenThroughTheLink) {
    fs::create_directory("elsewhere");
    if (GetParam().targetExists) std::ofstream("elsewhere/velmoranth.ini") << "Version 1\n";
    fs::create_symlink("elsewhere/velmoranth.ini", "Velmoranth.ini");
    StatChoice = 5;
    const WriteOutcome outcome = Write();
    ASSERT_EQ(outcome.status, 0);
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_TRUE(fs::is_symlink("Velmoranth.ini"));
    EXPECT_NE(FileText("elsewhere/velmoranth.ini").find("StatChoice 5\n"), std::string::npos);
    EXPECT_EQ(FolderEntries(m_dir / "elsewhere"), std::vector<std::string>{"velmoranth.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsLinkTest,
                         ::testing::Values(LinkCase{"ToAFile", true},
                                           LinkCase{"ToAFileNotWrittenYet", false}),
                         CaseName());

TEST_F(SettingsFileTest, WrittenValuesComeBackInTheNextRun) {
    g_props.visible = {0, 1, 0, 0, 1, 0, 1, 0, 1};
    DisplayTextures = 0;
    NumRequestedSpots = ActiveSpotCount = 5;
    RenderEngine = 2;
    RenderShadows = 0;
    SimpleLighting = 1;
    RenderRt3DShadows = 0;
    RenderRtReflections = 0;
    RenderRt3DTextures = 0;
    ClubAmbient = 0.375f;
    MainLightLevel = 1.5f;
    MinMusicDetect = 123.5f;
    StatChoice = 7;
    Stereo3DScale = 1.055f;  // where the Stereo 3D slider puts it at position 37
    Stereo3DInvert = -1;
    ReportFlags = {0, 0, 1, 0, 1};
    const Values written = Observe();
    ASSERT_EQ(WriteSettings(), 0);

    SetSettingsStartValues();
    MinMusicDetect = 20.0f;
    g_props.visible.fill(1);
    ASSERT_EQ(ReadReportSettings(), 0);
    ASSERT_EQ(ReadSettings(), 0);

    Values want = written;
    want["RenderEngine"] = 0;           // the saved engine comes back as a request
    want["RequestedRenderEngine"] = 2;
    want["RenderStool"] = 1;            // saved as 0 since its model is missing; not read back
    ExpectValues(Observe(), want);
}

// Something that is no settings file reads like a missing one, and at once: a pipe would
// otherwise hold start-up until someone writes to it.
struct NoFileCase {
    const char* name;
    void (*make)();
};
const NoFileCase kNoFileCases[] = {
    {"Missing", [] {}},
    {"Folder", [] { fs::create_directory("Velmoranth.ini"); }},
    {"Pipe", [] { ASSERT_EQ(mkfifo("Velmoranth.ini", 0600), 0); }},
};
class SettingsNoFileTest : public SettingsFileTest,
                           public ::testing::WithParamInterface<NoFileCase> {};
TEST_P(SettingsNoFileTest, ChangesNothing) {
    GetParam().make();
    const Values before = Observe();
    EXPECT_EQ(ReadReportSettings(), 1);
    EXPECT_EQ(ReadSettings(), 1);
    ExpectValues(Observe(), before);
}
INSTANTIATE_TEST_SUITE_P(Cases, SettingsNoFileTest, ::testing::ValuesIn(kNoFileCases),
                         CaseName());

// ---- reading: what each line does ----

struct ReadCase {
    const char* name;
    std::string text;
    int (*read)();
    bool rayTracing;
    Values changes;  // everything else keeps its start value
};
const std::string kOverlong(300, '0');
const ReadCase kReadCases[] = {
    {"VersionLineAlone", "Version 1\n", ReadSettings, true, {}},
    {"EmptyFile", "", ReadSettings, true, {}},
    {"RangeEndsAreAccepted",
     "Version 1\nRenderBooth 0\nDisplayTextures 0\nSimpleLighting 1\nStatChoice 7\n"
     "Stereo3DScale 0.5\nStereo3DInvert -1\nMinMusicDetect 1000\nClubAmbient 0\n",
     ReadSettings, true,
     {{"RenderBooth", 0}, {"DisplayTextures", 0}, {"SimpleLighting", 1}, {"StatChoice", 7},
      {"Stereo3DScale", 0.5}, {"Stereo3DInvert", -1}, {"MinMusicDetect", 1000},
      {"ClubAmbient", 0}, {"MainLightLevel", 0}}},
    {"SpotCountSetsBothCounts", "NumRequestedSpots 2\n", ReadSettings, true,
     {{"NumRequestedSpots", 2}, {"ActiveSpotCount", 2}}},
    {"SpotCountOutsideRangeIgnored", "NumRequestedSpots 0\nNumRequestedSpots 6\n", ReadSettings,
     true, {}},
    {"AmbientSetsMainLightLevel", "ClubAmbient 0.25\n", ReadSettings, true,
     {{"ClubAmbient", 0.25}, {"MainLightLevel", 1.0}}},
    {"AmbientAboveRangeIgnored", "ClubAmbient 0.6\n", ReadSettings, true, {}},
    {"IntegersTruncateTowardZero", "DisplayTextures 0.9\nStereo3DInvert -0.5\nStatChoice 6.99\n",
     ReadSettings, true, {{"DisplayTextures", 0}, {"Stereo3DInvert", 0}, {"StatChoice", 6}}},
    {"EngineIsOnlyRequested", "RenderEngine 1\n", ReadSettings, true,
     {{"RequestedRenderEngine", 1}}},
    {"RayTracingFlagsOffWithoutRayTracing", "RenderRt3DShadows 1\nRenderRt3DTextures 0\n",
     ReadSettings, false, {{"RenderRt3DShadows", 0}, {"RenderRt3DTextures", 0}}},
    {"RayTracingFlagsReadWithRayTracing", "RenderRtReflections 0\n", ReadSettings, true,
     {{"RenderRtReflections", 0}}},
    {"PropWithoutModelIgnored", "RenderStool 0\n", ReadSettings, true, {}},
    {"PropOutsideRangeIgnored", "RenderPlant 2\nRenderPlant -1\n", ReadSettings, true, {}},
    {"KeysAreExactAndCaseSensitive",
     "renderengine 2\nRENDERSHADOWS 0\nStatChoic 3\nStatChoiceX 3\n", ReadSettings, true, {}},
    {"ReportKeysAreNotSceneKeys", "ReportRtWarn 0\nReportVrWarn 0\n", ReadSettings, true, {}},
    {"ReportReaderTakesOnlyReportKeys",
     "ReportNoAudioWarn 0\nReportVrWarn 0\nReport3DSoundWarn 0\nReportRtWarn 0\n"
     "StatChoice 5\nDisplayTextures 0\n",
     ReadReportSettings, true,
     {{"ReportNoAudioWarn", 0}, {"ReportVrWarn", 0}, {"Report3DSoundWarn", 0},
      {"ReportRtWarn", 0}}},
    {"AnySeparatorsBetweenKeyAndValue", "Version 1 StatChoice\n\n\t4   DisplayTextures\t0",
     ReadSettings, true, {{"StatChoice", 4}, {"DisplayTextures", 0}}},
    {"WindowsLineEnds", "Version 1\r\nStatChoice 3\r\nRenderShadows 0\r\n", ReadSettings, true,
     {{"StatChoice", 3}, {"RenderShadows", 0}}},
    {"VersionNumberNotExamined", "Version 7\nStatChoice 3\n", ReadSettings, true,
     {{"StatChoice", 3}}},
    {"MissingValueCostsOnlyItsKey", "RenderShadows\nStatChoice 3\n", ReadSettings, true,
     {{"StatChoice", 3}}},
    {"GarbageValueCostsOnlyItsKey",
     "RenderShadows abc\nStatChoice 3\nSimpleLighting 1x\nDisplayTextures 0\n", ReadSettings,
     true, {{"StatChoice", 3}, {"DisplayTextures", 0}}},
    {"NonFiniteValuesIgnored",
     "ClubAmbient nan\nStereo3DScale inf\nMinMusicDetect -inf\nStatChoice 1e999\n",
     ReadSettings, true, {}},
    {"KeyAtTheEndWithoutValue", "StatChoice 3\nRenderShadows", ReadSettings, true,
     {{"StatChoice", 3}}},
    {"OverlongTokensMatchNothing",
     "RenderShadows" + kOverlong + " 0\nStatChoice " + kOverlong + "3\nDisplayTextures 0\n",
     ReadSettings, true, {{"DisplayTextures", 0}}},
    {"PlusSignAccepted", "StatChoice +3\nSimpleLighting +-1\n", ReadSettings, true,
     {{"StatChoice", 3}}},
    {"LastOfRepeatedKeysWins", "StatChoice 3\nStatChoice 5\n", ReadSettings, true,
     {{"StatChoice", 5}}},
};

class SettingsReadTest : public SettingsFileTest,
                         public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsReadTest, ChangesOnlyWhatTheLinesAllow) {
    const ReadCase& c = GetParam();
    RayTracingAvailable = c.rayTracing;
    WriteFile(c.text);
    Values want = Observe();
    for (const auto& [name, value] : c.changes) want.at(name) = value;
    ASSERT_EQ(c.read(), 0);
    ExpectValues(Observe(), want);
}
INSTANTIATE_TEST_SUITE_P(Cases, SettingsReadTest, ::testing::ValuesIn(kReadCases), CaseName());

// ---- writing: a file that cannot be written stays as it was, and the user is told ----

struct WriteFailureCase {
    const char* name;
    bool unprivileged;
    void (*block)(const fs::path& dir);
    const char* reason;
};
const WriteFailureCase kWriteFailureCases[] = {
    // Only the folder stops the write: the file itself is writable.
    {"ReadOnlyFolder", true,
     [](const fs::path& dir) {
         fs::permissions("Velmoranth.ini", fs::perms(0666));
         fs::permissions(dir, fs::perms(0555));
     },
     "Permission denied"},
    // Only the file stops it: the folder would let the rename replace it.
    {"ReadOnlyFile", true,
     [](const fs::path& dir) {
         fs::permissions(dir, fs::perms::all);
         fs::permissions("Velmoranth.ini", fs::perms(0444));
     },
     "Permission denied"},
    // The write step fails part way, as on a full disk: the new text does not fit.
    {"WriteCutShort", false, [](const fs::path&) {}, "File too large"},
};

class SettingsWriteFailureTest : public SettingsWriteTest,
                                 public ::testing::WithParamInterface<WriteFailureCase> {};

// Lowers the size a file of this process may grow to while it lives; a write past it fails
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old = {};
    void (*m_oldSignal)(int) = SIG_DFL;
};

TEST_P(SettingsWriteFailureTest, KeepsTheOldFileAndSaysWhy) {
    const WriteFailureCase& c = GetParam();
    const std::string old = "Version 1\nStatChoice 5\n";
    WriteFile(old);
    c.block(m_dir);
    StatChoice = 7;
    WriteOutcome outcome;
    if (c.unprivileged) {
        outcome = Write(true);
    } else {
        const FileSizeLimit limit(old.size() + 10);
        outcome = Write();
    }
    EXPECT_EQ(outcome.status, 1);
    ExpectOneFailureMessage(outcome, c.reason);
    fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(SettingsText(), old);
    EXPECT_EQ(FolderEntries(m_dir), std::vector<std::string>{"Velmoranth.ini"})
        << "no temporary file is left behind";
}
INSTANTIATE_TEST_SUITE_P(Cases, SettingsWriteFailureTest,
                         ::testing::ValuesIn(kWriteFailureCases), CaseName());

// What the settings file's name leads to, if not a regular file, is left exactly as it was:
// a save never turns it into a file nor writes into it.
struct NotAFileCase {
    const char* name;
    void (*make)(const fs::path& where);  // makes the thing at `where`
    const char* reason;
    bool needsRoot;
};
void MakePipe(const fs::path& where) { ASSERT_EQ(mkfifo(where.c_str(), 0600), 0); }
// A scratch node with the null device's numbers: no real device is ever touched.
void MakeDevice(const fs::path& where) {
    ASSERT_EQ(mknod(where.c_str(), S_IFCHR | 0600, makedev(1, 3)), 0);
}
void MakeFolder(const fs::path& where) {
    fs::create_directory(where);
    std::ofstream(where / "kept") << "kept";
}
void MakeLoop(const fs::path& where) {
    fs::create_symlink(where.filename().string() + ".other", where);
    fs::create_symlink(where.filename(), where.string() + ".other");
}
void RemoveItsFolder(const fs::path& where) { fs::remove(where.parent_path()); }
const NotAFileCase kNotAFileCases[] = {
    {"Pipe", MakePipe, "a named pipe", false},
    {"Device", MakeDevice, "a device", true},
    {"Folder", MakeFolder, "a folder", false},
    {"LoopOfLinks", MakeLoop, "Too many levels of symbolic links", false},
};

// Each thing as the settings file itself, then behind a link.
struct NotAFileRow {
    NotAFileCase thing;
    bool linked;
};
std::vector<NotAFileRow> NotAFileRows() {
    std::vector<NotAFileRow> rows;
    for (const NotAFileCase& c : kNotAFileCases) {
        rows.push_back({c, false});
        rows.push_back({c, true});
    }
    // A link into a folder that does not exist: there is nowhere to write.
    rows.push_back({{"MissingFolder", RemoveItsFolder, "No such file or directory", false}, true});
    return rows;
}

// Each entry under a folder by path, links not followed: its mode and device numbers, and a
// regular file's text or a link's target.
void Snapshot(const fs::path& dir, const fs::path& under, std::map<std::string, std::string>& out) {
    for (const fs::directory_entry& e : fs::directory_iterator(dir / under)) {
        const fs::path name = under / e.path().filename();
        struct stat st = {};
        ASSERT_EQ(lstat(e.path().c_str(), &st), 0);
        std::string what = std::to_string(st.st_mode) + " " + std::to_string(st.st_rdev);
        if (S_ISREG(st.st_mode)) what += " " + FileText(e.path());
        if (S_ISLNK(st.st_mode)) what += " -> " + fs::read_symlink(e.path()).string();
        out[name.string()] = what;
        if (S_ISDIR(st.st_mode)) Snapshot(dir, name, out);
    }
}
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> entries;
    Snapshot(dir, {}, entries);
    return entries;
}

class SettingsNotAFileTest : public SettingsWriteTest,
                             public ::testing::WithParamInterface<NotAFileRow> {};

TEST_P(SettingsNotAFileTest, IsLeftAsItIsAndTheUserIsTold) {
    const NotAFileRow& row = GetParam();
    if (row.thing.needsRoot && geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
    if (row.linked) {
        fs::create_directory("elsewhere");
        fs::create_symlink("elsewhere/thing", "Velmoranth.ini");
        row.thing.make(m_dir / "elsewhere" / "thing");
    } else {
        row.thing.make(m_dir / "Velmoranth.ini");
    }
    if (HasFatalFailure()) return;
    const auto before = Snapshot(m_dir);
    const WriteOutcome outcome = Write();
    EXPECT_EQ(outcome.status, 1);
    ExpectOneFailureMessage(outcome, row.thing.reason);
    EXPECT_EQ(Snapshot(m_dir), before);
}

std::string RowName(const ::testing::TestParamInfo<NotAFileRow>& info) {
    return std::string(info.param.thing.name) + (info.param.linked ? "BehindALink" : "");
}
INSTANTIATE_TEST_SUITE_P(Cases, SettingsNotAFileTest, ::testing::ValuesIn(NotAFileRows()),
                         RowName);

}  // namespace
