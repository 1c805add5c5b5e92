#include "platform/sound/output_open.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace psound {

namespace {

// Shared by the caller and the opening thread, which may outlive the caller's wait.
struct PendingOpen {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec have{};
};

}  // namespace

SDL_AudioDeviceID OpenOutputWithin(const SDL_AudioSpec& want, SDL_AudioSpec& have,
                                   std::chrono::milliseconds limit) {
    auto pending = std::make_shared<PendingOpen>();
    std::thread([pending, want] {
        SDL_AudioSpec obtained{};
        const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &obtained, 0);
        std::lock_guard lock(pending->mutex);
        if (pending->abandoned) {
            if (device) SDL_CloseAudioDevice(device);
            return;
        }
        pending->device = device;
        pending->have = obtained;
        pending->done = true;
        pending->finished.notify_one();
    }).detach();
    std::unique_lock lock(pending->mutex);
    if (!pending->finished.wait_for(lock, limit, [&] { return pending->done; })) {
        pending->abandoned = true;
        return 0;
    }
    have = pending->have;
    return pending->device;
}

}  // namespace psound
