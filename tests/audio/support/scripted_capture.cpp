#include "tests/audio/support/scripted_capture.h"

#include "audio/analysis_tap.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kRingBlocks = 16;
constexpr double kMixBlockMs = 1000.0 * kTapFramesPerBlock / pcapture::kSampleRate;
}  // namespace

double VirtualClock::ElapsedMs() { return std::floor(m_nowMs); }

void VirtualClock::Advance(double ms) {
    const double from = m_nowMs;
    m_nowMs += ms;
    if (onAdvance) onAdvance(from, m_nowMs);
}

pcapture::Result ScriptedCapture::Open(int id) {
    Close();
    ++m_opens;
    const int device = id == -1 ? 0 : id;
    if (device < 0 || device >= DeviceCount()) return pcapture::Result::NoSuchDevice;
    if (!m_devices[static_cast<size_t>(device)].opens) return pcapture::Result::OpenFailed;
    m_open = device;
    m_openedMs = m_clock.Now();
    m_recorded = 0;
    return pcapture::Result::Ok;
}

void ScriptedCapture::Reset() {
    Record();
    m_queue.clear();
}

void ScriptedCapture::Close() {
    if (m_open >= 0) ++m_closes;
    m_open = -1;
    m_queue.clear();
}

void ScriptedCapture::Record() {
    if (m_open < 0) return;
    const Device& device = m_devices[static_cast<size_t>(m_open)];
    for (;;) {
        const double done = m_openedMs + (m_recorded + 1) * kRecordedBlockMs;
        if (done > m_clock.Now()) return;
        if (done < device.stallFromMs || done >= device.stallToMs) {
            if (static_cast<int>(m_queue.size()) < kRingBlocks) {
                m_queue.push_back(m_recorded);
            } else {
                ++m_dropped;
            }
        }
        ++m_recorded;
    }
}

bool ScriptedCapture::ReadBlock(std::int16_t* block) {
    Record();
    if (m_queue.empty()) return false;
    const int index = m_queue.front();
    m_queue.pop_front();
    const std::vector<float>& signal = m_devices[static_cast<size_t>(m_open)].signal;
    for (int f = 0; f < pcapture::kBlockFrames; ++f) {
        const size_t at = static_cast<size_t>(index) * pcapture::kBlockFrames + f;
        const std::int16_t v = ToPcm(at < signal.size() ? signal[at] : 0.0f);
        block[2 * f] = v;
        block[2 * f + 1] = v;
    }
    m_deliveries.push_back(
        {m_open, index, m_openedMs + (index + 1) * kRecordedBlockMs, m_clock.Now()});
    return true;
}

VirtualMixer::VirtualMixer(VirtualClock& clock, std::vector<float> mono)
    : m_nextMs(clock.Now() + kMixBlockMs) {
    m_stereo.resize(mono.size() * 2);
    for (size_t i = 0; i < mono.size(); ++i) m_stereo[2 * i] = m_stereo[2 * i + 1] = mono[i];
    clock.onAdvance = [this](double, double to) { MixUntil(to); };
}

void VirtualMixer::MixUntil(double ms) {
    float in[2 * kTapFramesPerBlock];
    float out[2 * kTapFramesPerBlock];
    for (; m_nextMs <= ms; m_nextMs += kMixBlockMs) {
        if (!m_playing) continue;
        const size_t from = static_cast<size_t>(m_blocks) * 2 * kTapFramesPerBlock;
        for (size_t i = 0; i < std::size(in); ++i) {
            in[i] = from + i < m_stereo.size() ? m_stereo[from + i] : 0.0f;
        }
        Stereo2LeftRead(nullptr, in, out, kTapFramesPerBlock, 2, 2);
        ++m_blocks;
    }
}

std::int16_t ToPcm(float v) {
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}
