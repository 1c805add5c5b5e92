#pragma once
// A virtual clock and scripted recording devices, so the analysis thread's passes run on the
// test's own thread with time that moves only when the thread sleeps or the test says so.

#include "audio/analysis_clock.h"
#include "platform/capture/capture_source.h"

#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <vector>

// Milliseconds one recorded block of 512 frames at 44100 Hz takes.
constexpr double kRecordedBlockMs = 1000.0 * pcapture::kBlockFrames / pcapture::kSampleRate;

class VirtualClock final : public AnalysisClock {
public:
    double ElapsedMs() override;
    void SleepMs(int ms, std::stop_token) override { Advance(ms); }

    void Advance(double ms);
    double Now() const { return m_nowMs; }
    // Called each time the clock moves, with the old and the new time.
    std::function<void(double fromMs, double toMs)> onAdvance;

private:
    double m_nowMs = 0.0;
};

// Recording devices whose blocks complete on the virtual clock, one every kRecordedBlockMs
// after the device was opened, queued like the real ring (at most 16; later ones dropped).
class ScriptedCapture final : public pcapture::CaptureSource {
public:
    struct Device {
        std::vector<float> signal;  // mono at 44100 Hz, recorded on both channels; then silence
        bool opens = true;
        double stallFromMs = std::numeric_limits<double>::infinity();  // no block completes
        double stallToMs = std::numeric_limits<double>::infinity();    // from, up to here
    };
    struct Delivery {
        int device;
        int index;      // block number since the device was opened
        double doneMs;  // when its last frame was recorded
        double readMs;
    };

    explicit ScriptedCapture(VirtualClock& clock) : m_clock(clock) {}

    // Devices are ids 0 to n-1 in the order added; the default device (-1) is device 0.
    void AddDevice(Device device) { m_devices.push_back(std::move(device)); }

    int DeviceCount() override { return static_cast<int>(m_devices.size()); }
    [[nodiscard]] pcapture::Result Open(int id) override;
    void Reset() override;
    void Close() override;
    [[nodiscard]] bool ReadBlock(std::int16_t* block) override;

    const std::vector<Delivery>& Deliveries() const { return m_deliveries; }
    int Opens() const { return m_opens; }
    int Closes() const { return m_closes; }
    int OpenDevice() const { return m_open; }  // -1 when none
    int Dropped() const { return m_dropped; }

private:
    void Record();  // queues every block completed by now

    VirtualClock& m_clock;
    std::vector<Device> m_devices;
    int m_open = -1;
    double m_openedMs = 0.0;
    int m_recorded = 0;  // blocks completed (queued, dropped or lost in a stall) since opening
    std::deque<int> m_queue;
    std::vector<Delivery> m_deliveries;
    int m_opens = 0, m_closes = 0, m_dropped = 0;
};

// Plays a stereo signal into the tap as the sound layer's mixer would: one "Stereo2Left"
// read of 1024 frames each time the virtual clock passes the end of a mixer block.
class VirtualMixer {
public:
    VirtualMixer(VirtualClock& clock, std::vector<float> mono);
    int BlocksMixed() const { return m_blocks; }
    void SetPlaying(bool playing) { m_playing = playing; }

private:
    void MixUntil(double ms);

    std::vector<float> m_stereo;
    int m_blocks = 0;
    double m_nextMs;
    bool m_playing = true;
};

// Sample value of a mono float in [-1, 1] on a 16-bit device.
std::int16_t ToPcm(float v);
