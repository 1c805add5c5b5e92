#include "app/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <system_error>

#include "app/settings_globals.h"
#include "model/report_message.h"

namespace {

enum class ValueFormat { Int, Float };  // written with "%d" and "%f"

// One key: its name, the range the readers accept (both ends inclusive), where its value is
// written from and where an accepted value goes (integer keys get it truncated toward zero).
struct SettingsKey {
    const char* name;
    ValueFormat format;
    float minValue;
    float maxValue;
    double (*load)();
    void (*store)(float value);
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The longest token the readers look at; a longer one is neither a key nor a number.
constexpr std::size_t kMaxTokenLength = 255;

PropVisibility* g_props = nullptr;

bool SettingsPath(std::string& path);
bool IsSeparator(int c);
bool ReadToken(std::FILE* file, std::string& token);
bool ParseNumber(const std::string& token, float& value);
void ApplyKey(std::span<const SettingsKey> keys, const std::string& token, float value);
int ReadKeys(std::span<const SettingsKey> keys);
bool WriteKeys(std::FILE* file);
bool AppendValue(std::string& line, ValueFormat format, double value);

template <int& global>
double LoadInt() { return global; }
template <int& global>
void StoreInt(float value) { global = static_cast<int>(value); }
template <float& global>
double LoadFloat() { return global; }
template <float& global>
void StoreFloat(float value) { global = value; }

// The ray-tracing flags cannot be switched on while ray tracing is unavailable.
template <int& global>
void StoreRtFlag(float value) { global = RayTracingAvailable ? static_cast<int>(value) : 0; }

// A prop without a model is written as 0 and keeps its key from doing anything on reading.
template <int prop>
double LoadProp() { return g_props && g_props->HasModel(prop) ? g_props->IsVisible(prop) : 0; }
template <int prop>
void StoreProp(float value) {
    if (g_props && g_props->HasModel(prop)) g_props->SetVisible(prop, static_cast<int>(value));
}

template <int category>
double LoadReportFlag() { return ReportFlags[category]; }
template <int category>
void StoreReportFlag(float value) { ReportFlags[category] = static_cast<int>(value); }

void StoreSpotCount(float value) {
    NumRequestedSpots = static_cast<int>(value);
    ActiveSpotCount = NumRequestedSpots;
}

// The engine in force is saved; a read one is only requested, and the first frame applies it.
double LoadEngine() { return RenderEngine; }
void StoreEngine(float value) { RequestedRenderEngine = static_cast<int>(value); }

void StoreAmbient(float value) {
    ClubAmbient = value;
    MainLightLevel = value * 0.2f / 0.05f;  // single precision, as the Lights page sets it
}

double LoadMinMusicDetect() { return MinMusicDetect.load(std::memory_order_relaxed); }
void StoreMinMusicDetect(float value) { MinMusicDetect.store(value, std::memory_order_relaxed); }

// In the order they are written; the report keys follow the scene keys in the file.
constexpr SettingsKey kSceneKeys[] = {
    {"RenderTableSet4", ValueFormat::Int, 0, 1, LoadProp<0>, StoreProp<0>},
    {"RenderTableSet2", ValueFormat::Int, 0, 1, LoadProp<1>, StoreProp<1>},
    {"RenderStool", ValueFormat::Int, 0, 1, LoadProp<2>, StoreProp<2>},
    {"RenderSpeaker", ValueFormat::Int, 0, 1, LoadProp<3>, StoreProp<3>},
    {"RenderSpotLight", ValueFormat::Int, 0, 1, LoadProp<4>, StoreProp<4>},
    {"RenderPlant", ValueFormat::Int, 0, 1, LoadProp<5>, StoreProp<5>},
    {"RenderBooth", ValueFormat::Int, 0, 1, LoadProp<6>, StoreProp<6>},
    {"RenderVideoGame", ValueFormat::Int, 0, 1, LoadProp<7>, StoreProp<7>},
    {"RenderTableGame", ValueFormat::Int, 0, 1, LoadProp<8>, StoreProp<8>},
    {"DisplayTextures", ValueFormat::Int, 0, 1, LoadInt<DisplayTextures>,
     StoreInt<DisplayTextures>},
    {"NumRequestedSpots", ValueFormat::Int, 1, 5, LoadInt<NumRequestedSpots>, StoreSpotCount},
    {"RenderEngine", ValueFormat::Int, 0, 2, LoadEngine, StoreEngine},
    {"RenderShadows", ValueFormat::Int, 0, 1, LoadInt<RenderShadows>, StoreInt<RenderShadows>},
    {"SimpleLighting", ValueFormat::Int, 0, 1, LoadInt<SimpleLighting>,
     StoreInt<SimpleLighting>},
    {"RenderRt3DShadows", ValueFormat::Int, 0, 1, LoadInt<RenderRt3DShadows>,
     StoreRtFlag<RenderRt3DShadows>},
    {"RenderRtReflections", ValueFormat::Int, 0, 1, LoadInt<RenderRtReflections>,
     StoreRtFlag<RenderRtReflections>},
    {"RenderRt3DTextures", ValueFormat::Int, 0, 1, LoadInt<RenderRt3DTextures>,
     StoreRtFlag<RenderRt3DTextures>},
    {"ClubAmbient", ValueFormat::Float, 0.0f, 0.5f, LoadFloat<ClubAmbient>, StoreAmbient},
    {"MinMusicDetect", ValueFormat::Float, 1.0f, 1000.0f, LoadMinMusicDetect,
     StoreMinMusicDetect},
    {"StatChoice", ValueFormat::Int, 1, 7, LoadInt<StatChoice>, StoreInt<StatChoice>},
    {"Stereo3DScale", ValueFormat::Float, 0.5f, 2.0f, LoadFloat<Stereo3DScale>,
     StoreFloat<Stereo3DScale>},
    {"Stereo3DInvert", ValueFormat::Int, -1, 1, LoadInt<Stereo3DInvert>,
     StoreInt<Stereo3DInvert>},
};
constexpr SettingsKey kReportKeys[] = {
    {"ReportNoAudioWarn", ValueFormat::Int, 0, 1, LoadReportFlag<1>, StoreReportFlag<1>},
    {"ReportVrWarn", ValueFormat::Int, 0, 1, LoadReportFlag<2>, StoreReportFlag<2>},
    {"Report3DSoundWarn", ValueFormat::Int, 0, 1, LoadReportFlag<3>, StoreReportFlag<3>},
    {"ReportRtWarn", ValueFormat::Int, 0, 1, LoadReportFlag<4>, StoreReportFlag<4>},
};
constexpr std::span<const SettingsKey> kFileOrder[] = {kSceneKeys, kReportKeys};

bool SettingsPath(std::string& path) {
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::current_path(error);
    if (error) return false;
    path = (dir / "Velmoranth.ini").string();
    return true;
}

// Blank, tab, line ends (a file written on Windows ends its lines with "\r\n"), vertical tab
// and form feed, independent of the locale.
bool IsSeparator(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The next run of characters between separators; false at the end of the file. Of an overlong
// run only the first kMaxTokenLength + 1 characters are kept, enough to make it match nothing.
bool ReadToken(std::FILE* file, std::string& token) {
    token.clear();
    int c = std::getc(file);
    while (c != EOF && IsSeparator(c)) c = std::getc(file);
    for (; c != EOF && !IsSeparator(c); c = std::getc(file)) {
        if (token.size() <= kMaxTokenLength) token.push_back(static_cast<char>(c));
    }
    return !token.empty();
}

// A whole token as a finite number, in the C locale's notation whatever the process locale.
bool ParseNumber(const std::string& token, float& value) {
    if (token.empty() || token.size() > kMaxTokenLength) return false;
    const char* first = token.data();
    const char* last = first + token.size();
    if (*first == '+') {  // the C library's reader takes a plus sign; from_chars does not
        ++first;
        if (first == last || *first == '-') return false;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && std::isfinite(value);
}

void ApplyKey(std::span<const SettingsKey> keys, const std::string& token, float value) {
    for (const SettingsKey& key : keys) {
        if (token != key.name) continue;
        if (value >= key.minValue && value <= key.maxValue) key.store(value);
        return;
    }
}

int ReadKeys(std::span<const SettingsKey> keys) {
    std::string path;
    if (!SettingsPath(path)) return 1;
    // Opening a named pipe would wait for a writer and hold start-up for good.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return 1;
    const FilePtr file(std::fopen(path.c_str(), "r"));
    if (!file) return 1;
    std::string key;
    std::string value;
    bool haveKey = ReadToken(file.get(), key);
    while (haveKey && ReadToken(file.get(), value)) {
        float number = 0.0f;
        if (!ParseNumber(value, number)) {
            key.swap(value);  // a key without a number: what follows may be the next key
            continue;
        }
        ApplyKey(keys, key, number);
        haveKey = ReadToken(file.get(), key);
    }
    return 0;
}

bool AppendValue(std::string& line, ValueFormat format, double value) {
    char text[64];  // "%f" of any float fits: at most 39 digits before the point
    const auto [end, error] =
        format == ValueFormat::Int
            ? std::to_chars(text, text + sizeof text, static_cast<int>(value))
            : std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (error != std::errc()) return false;
    line.append(text, end);
    return true;
}

bool WriteKeys(std::FILE* file) {
    std::string text = "Version 1\n";
    for (std::span<const SettingsKey> keys : kFileOrder) {
        for (const SettingsKey& key : keys) {
            text.append(key.name).push_back(' ');
            if (!AppendValue(text, key.format, key.load())) return false;
            text.push_back('\n');
        }
    }
    return std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
           std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

// The file a save replaces or creates: the settings file, or where its links lead.
struct SaveTarget {
    std::string path;
    bool exists = false;
    bool linked = false;  // reached through a link
    mode_t mode = 0;      // of the existing file
};

// Follows the settings file's links one by one, so a link stays a link even while its target
// does not exist yet. 0, or the errno that stops the way (ELOOP for a loop of links).
int FindSaveTarget(const std::string& path, SaveTarget& target) {
    constexpr int kMostLinks = 40;  // the kernel's own limit
    std::filesystem::path current = path;
    for (int i = 0; i <= kMostLinks; ++i) {
        struct stat st = {};
        if (lstat(current.c_str(), &st) != 0) {
            if (errno != ENOENT) return errno;
            target.path = current.string();
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            target = {current.string(), true, target.linked, st.st_mode};
            return 0;
        }
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error) return error.value();
        current = next.is_absolute() ? next : current.parent_path() / next;
        target.linked = true;
    }
    return ELOOP;
}

// What the user is told when the settings stay unsaved.
int Unsaved(std::string& failure, const std::string& why) {
    failure = "I couldn't save the settings in Velmoranth.ini.\n\n" + why;
    return 1;
}

std::string ErrorText(int error) { return std::generic_category().message(error) + "."; }

// Only a regular file is ever replaced: a save must not turn a pipe, a device or a folder
// into a file, nor write into one.
const char* NotAFileKind(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "something else";
}

// The mode of the file being replaced; a new file gets what creating it would give.
mode_t KeptMode(const SaveTarget& target) {
    if (target.exists) return target.mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Writes the keys to a file of its own beside the target and renames it over the target.
// A name of its own: another writer's file is never truncated, and the rename stays within
// one file system. 0, or the errno of the step that failed; the temporary file is then gone.
int ReplaceTarget(const SaveTarget& target) {
    std::string temporary = target.path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return errno;
    FilePtr file(fdopen(fd, "w"));
    if (!file) {
        const int error = errno;
        close(fd);
        std::remove(temporary.c_str());
        return error;
    }
    int error = 0;
    errno = 0;
    if (fchmod(fd, KeptMode(target)) != 0 || !WriteKeys(file.get())) {
        error = errno != 0 ? errno : EIO;
    }
    if (std::fclose(file.release()) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), target.path.c_str()) != 0) error = errno;
    if (error != 0) std::remove(temporary.c_str());
    return error;
}

}  // namespace

void BindPropVisibility(PropVisibility* props) { g_props = props; }

PropVisibility* BoundPropVisibility() { return g_props; }

int ReadReportSettings() { return ReadKeys(kReportKeys); }

int ReadSettings() { return ReadKeys(kSceneKeys); }

int WriteSettings(std::string& failure) {
    std::string path;
    if (!SettingsPath(path)) return Unsaved(failure, "The current folder is gone.");
    SaveTarget target;
    if (const int error = FindSaveTarget(path, target); error != 0) {
        return Unsaved(failure, ErrorText(error));
    }
    if (const char* kind = target.exists ? NotAFileKind(target.mode) : nullptr) {
        return Unsaved(failure, std::string(target.linked ? "It links to " : "It is ") + kind +
                                    ", not a file.");
    }
    // A file the user may not write stays as it is, although the rename could replace it.
    if (target.exists && access(target.path.c_str(), W_OK) != 0) {
        return Unsaved(failure, ErrorText(errno));
    }
    if (const int error = ReplaceTarget(target); error != 0) {
        return Unsaved(failure, ErrorText(error));
    }
    return 0;
}

int WriteSettings() {
    std::string failure;
    const int status = WriteSettings(failure);
    if (status != 0) ReportMessage(failure.c_str(), ReportCategory::Failure);
    return status;
}
