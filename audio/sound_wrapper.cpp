#include "audio/sound_wrapper.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "audio/analysis_tap.h"
#include "audio/club_room.h"
#include "model/model_catalogue.h"
#include "model/report_message.h"

using psound::SoundResult;

int LastFmodResult = 0;
std::uint8_t Sound3DEnabled = 0;
float SoundVolume = 0.8f;
std::uint32_t SongLengthMs = 0;

namespace sound {

namespace {

struct SoundSystemState {
    psound::EngineConfig config;
    std::unique_ptr<psound::SoundEngine> engine;
    int leftUnit = -1, rightUnit = -1;
    int song = -1;
    int voices[3] = {-1, -1, -1};  // left, right, plain
};
SoundSystemState& State() {
    static SoundSystemState state;
    return state;
}

constexpr int kLeft = 0, kRight = 1, kPlain = 2;

// Stores the result; true when it failed.
bool Failed(SoundResult result) {
    LastFmodResult = static_cast<int>(result);
    return result != SoundResult::Ok;
}

// The first failure of a run of calls wins, so a later success cannot hide it.
struct Steps {
    bool failed = false;
    void operator()(SoundResult result) {
        if (failed) return;
        failed = Failed(result);
    }
    int Result() const { return failed ? 1 : 0; }
};

void Report(const char* format, SoundResult result) {
    char text[512];
    std::snprintf(text, sizeof text, format, static_cast<int>(result),
                  psound::SoundErrorString(result));
    ReportMessage(text, ReportCategory::Sound3D);
}

bool Ready() {
    if (State().engine) return true;
    Failed(SoundResult::Uninitialized);
    return false;
}

void ReleaseCurrentSong() {
    SoundSystemState& s = State();
    if (s.song >= 0) s.engine->ReleaseSong(s.song);
    s.song = -1;
    std::fill(std::begin(s.voices), std::end(s.voices), -1);
    SongLengthMs = 0;
}

// Speaker copy i in sound space. The copies are placed from the catalogue and never move, so
// the catalogue gives their place whether or not the Speaker model file was there.
psound::Vec3 SpeakerPosition(int instance) {
    const float* p = PropRecords[kPropSpeaker].positions[instance];
    return {p[0], p[1] - 1000.0f, -p[2]};
}

// The room's walls, floor and ceiling block sound from either side, direct and reverb alike.
// Their results are stored, not reported: without them the sound only goes through walls.
void AddClubRoom(psound::SoundEngine& engine) {
    Failed(engine.SetGeometrySettings(40000.0f));
    Failed(engine.CreateGeometry(48, 156));
    Failed(engine.SetGeometryPosition({}));
    for (const RoomPolygon& polygon : ClubRoomPolygons())
        Failed(engine.AddPolygon(1.0f, 1.0f, true, polygon.vertices.data(), polygon.count));
}

}  // namespace

void SetSoundEngineConfig(const psound::EngineConfig& config) { State().config = config; }
psound::SoundEngine* CurrentSoundEngine() { return State().engine.get(); }

int SoundInit() {
    SoundSystemState& s = State();
    if (s.engine) return 0;
    if (const SoundResult made = psound::SoundEngine::Create(s.config, s.engine); Failed(made)) {
        Report("3D sound init error (%d). \n\n3D sound will not be available\n\n%s\n", made);
        return 1;
    }
    if (const SoundResult started = s.engine->Init(); Failed(started)) {
        Report("3D sound error (%d). \n\n%s\n", started);
        s.engine.reset();  // nothing else would release it
        return 1;
    }
    // Distances are in club units, a thousand to the metre.
    Failed(s.engine->Set3DSettings(1.0f, 1000.0f, 0.001f));
    Failed(s.engine->SetReverb(psound::ReverbPreset::Off));
    Failed(s.engine->CreateDsp(&Stereo2LeftRead, s.leftUnit));
    Failed(s.engine->CreateDsp(&Stereo2RightRead, s.rightUnit));
    AddClubRoom(*s.engine);
    return 0;
}

int LoadSong(const char* path) {
    if (!Ready()) return 1;
    SoundSystemState& s = State();
    ReleaseCurrentSong();
    if (Failed(s.engine->OpenSong(path, s.song))) {
        s.song = -1;
        return 1;
    }
    Steps step;
    const float volume3D = Sound3DEnabled ? SoundVolume : 0.0f;
    for (const int which : {kLeft, kRight}) {
        step(s.engine->PlayVoice(s.song, true, s.voices[which]));
        step(s.engine->SetVoicePosition(s.voices[which], SpeakerPosition(which)));
        step(s.engine->AddVoiceDsp(s.voices[which], which == kLeft ? s.leftUnit : s.rightUnit));
        step(s.engine->SetVoiceDistance(s.voices[which], 10.0f, 10000.0f));
        step(s.engine->SetVoiceVolume(s.voices[which], volume3D));
    }
    step(s.engine->PlayVoice(s.song, false, s.voices[kPlain]));
    step(s.engine->SetVoiceVolume(s.voices[kPlain], Sound3DEnabled ? 0.0f : SoundVolume));
    step(s.engine->GetSongLengthMs(s.song, SongLengthMs));
    if (step.failed) {
        const int code = LastFmodResult;
        ReleaseCurrentSong();  // no partly built song stays behind
        LastFmodResult = code;
    }
    return step.Result();
}

namespace {
int SetPaused(bool paused) {
    if (!Ready()) return 1;
    if (State().song < 0) return Failed(SoundResult::InvalidHandle) ? 1 : 0;
    // The song's voices are one group: they pause and resume on the same block.
    return Failed(State().engine->SetSongPaused(State().song, paused)) ? 1 : 0;
}
}  // namespace

int SoundPauseAll() { return SetPaused(true); }
int SoundResumeAll() { return SetPaused(false); }

int SoundSetVolume(float volume) {
    if (!Ready()) return 1;
    SoundSystemState& s = State();
    SoundVolume = std::clamp(volume, 0.0f, 1.0f);
    if (s.song < 0) return Failed(SoundResult::InvalidHandle) ? 1 : 0;
    Steps step;
    const float volume3D = Sound3DEnabled ? SoundVolume : 0.0f;
    step(s.engine->SetVoiceVolume(s.voices[kLeft], volume3D));
    step(s.engine->SetVoiceVolume(s.voices[kRight], volume3D));
    step(s.engine->SetVoiceVolume(s.voices[kPlain], Sound3DEnabled ? 0.0f : SoundVolume));
    return step.Result();
}

int SoundSet3D(std::uint8_t flag) {
    if (!Ready()) return 1;
    Sound3DEnabled = flag;
    Steps step;
    step(State().engine->SetReverb(flag ? psound::ReverbPreset::Auditorium
                                        : psound::ReverbPreset::Off));
    const int volume = SoundSetVolume(SoundVolume);
    return step.failed ? 1 : volume;
}

int SoundSeek(float fraction) {
    if (!Ready()) return 1;
    if (State().song < 0) return Failed(SoundResult::InvalidHandle) ? 1 : 0;
    const auto ms = static_cast<std::uint32_t>(static_cast<float>(SongLengthMs) *
                                               std::clamp(fraction, 0.0f, 1.0f));
    return Failed(State().engine->SetSongPositionMs(State().song, ms)) ? 1 : 0;
}

float SoundGetPosition() {
    SoundSystemState& s = State();
    if (!s.engine || s.song < 0 || SongLengthMs == 0) return 0.0f;
    std::uint32_t ms = 0;
    if (Failed(s.engine->GetSongPositionMs(s.song, ms))) return 0.0f;
    return static_cast<float>(ms) / static_cast<float>(SongLengthMs);
}

int SoundUpdateListener(const float* position, const float* forward, const float* up) {
    if (!Ready()) return 1;
    // Sound space is the world mirrored in z, taken as right-handed.
    Steps step;
    step(State().engine->SetListener({position[0], position[1], -position[2]},
                                     {forward[0], forward[1], -forward[2]},
                                     {up[0], up[1], -up[2]}));
    step(State().engine->Update());
    return step.Result();
}

bool SoundIsPlaying() { return State().engine && State().engine->VoicesPlaying() > 0; }

int SoundRelease() {
    if (!Ready()) return 1;
    State().song = -1;
    SongLengthMs = 0;
    State().engine.reset();  // the output device first, then the songs
    return Failed(SoundResult::Ok) ? 1 : 0;
}

}  // namespace sound
