// The music player's Windows side: waveOut (winmm, present on every Windows the
// program runs on, bound from the system folder), fed from a thread of its own with buffers of
// about 100 ms.
#include "audio/music_player.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "audio/music_mixer.h"
#include "audio/music_source.h"
#include "audio/wave_out_library.h"
#include "base/file_paths.h"

namespace {
const CWaveOutLibrary& WaveOut() { return CWaveOutLibrary::Get(); }

constexpr int kBufferFrames = kMusicOutputRate / 10;  // 100 ms a buffer
constexpr int kBufferCount = 3;                       // 300 ms queued ahead
// The stop fade lowers the device volume in these steps, this far apart: 20 ms in
// all, so the end does not click.
constexpr int kStopFadeSteps = 4;
constexpr DWORD kStopFadeStepMs = 5;
// How long Stop waits for the thread; it ends within the fade and the block of a
// track being read at that moment.
constexpr DWORD kStopWaitMs = 2000;

// Scales both channels of a waveOut volume word pair.
DWORD ScaleVolume(DWORD volume, int step, int steps) {
  const DWORD left = (volume & 0xFFFF) * step / steps;
  const DWORD right = (volume >> 16) * step / steps;
  return left | right << 16;
}

// Fades out through the device volume, since the queued buffers are already at full
// level, then drops them and puts the volume back (on older systems it is the
// device's own, shared with every program).
void FadeOutAndReset(HWAVEOUT device) {
  DWORD volume = 0;
  const bool hasVolume = WaveOut().GetVolume(device, &volume) == MMSYSERR_NOERROR;
  for (int step = kStopFadeSteps - 1; hasVolume && step >= 0; --step) {
    WaveOut().SetVolume(device, ScaleVolume(volume, step, kStopFadeSteps));
    Sleep(kStopFadeStepMs);
  }
  WaveOut().Reset(device);
  if (hasVolume) WaveOut().SetVolume(device, volume);
}
}  // namespace

struct CMusicPlayer::State {
  std::atomic<bool> stop{false};
  HANDLE wake = nullptr;  // signalled by waveOut for each finished buffer, and by Stop
  HANDLE thread = nullptr;
  int volumePercent = 100;

  void Play();
  void Feed(HWAVEOUT device, CMusicMixer& mixer, std::vector<int16_t>* pcm);
  static DWORD WINAPI Body(void* self) {
    static_cast<State*>(self)->Play();
    return 0;
  }
};

void CMusicPlayer::State::Play() {
  // Without winmm the music stays silent, as it does without a sound device.
  if (!WaveOut().IsLoaded()) return;
  CMusicSource source;
  if (!source.Open(ProgramFilePath().c_str()) || source.GetTrackCount() == 0) return;
  // A track being read when the run ends is given up at its next block, so Stop
  // never waits for the whole of a large one.
  CMusicMixer mixer(
      source.GetTrackCount(),
      [this, &source](int number) { return source.ReadTrack(number, &stop); }, volumePercent);
  std::vector<int16_t> pcm[kBufferCount];
  for (auto& buffer : pcm) buffer.resize(kBufferFrames * kMusicOutputChannels);
  // The first buffer is made before the device is opened: no decodable track, no device.
  if (mixer.Render(pcm[0].data(), kBufferFrames) == 0) return;

  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kMusicOutputChannels;
  format.nSamplesPerSec = kMusicOutputRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  HWAVEOUT device = nullptr;
  if (WaveOut().Open(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(wake), 0,
                     CALLBACK_EVENT) != MMSYSERR_NOERROR)
    return;
  Feed(device, mixer, pcm);

  WaveOut().Close(device);
}

// Keeps every buffer queued until the run ends, refilling each as the device gives it
// back. A buffer that fails to go out ends the music for this run.
void CMusicPlayer::State::Feed(HWAVEOUT device, CMusicMixer& mixer, std::vector<int16_t>* pcm) {
  WAVEHDR headers[kBufferCount] = {};
  bool prepared[kBufferCount] = {};
  bool failed = false;
  for (int i = 0; i < kBufferCount && !failed; ++i) {
    headers[i].lpData = reinterpret_cast<LPSTR>(pcm[i].data());
    headers[i].dwBufferLength = static_cast<DWORD>(pcm[i].size() * sizeof(int16_t));
    prepared[i] = WaveOut().PrepareHeader(device, &headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    if (i > 0) mixer.Render(pcm[i].data(), kBufferFrames);
    failed =
        !prepared[i] || WaveOut().Write(device, &headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR;
  }
  while (!stop.load()) {
    WaitForSingleObject(wake, INFINITE);
    for (int i = 0; i < kBufferCount && !failed && !stop.load(); ++i) {
      if ((headers[i].dwFlags & WHDR_DONE) == 0) continue;
      if (mixer.Render(pcm[i].data(), kBufferFrames) == 0) continue;  // nothing left to play
      headers[i].dwFlags &= ~WHDR_DONE;
      failed = WaveOut().Write(device, &headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR;
    }
  }
  FadeOutAndReset(device);
  for (int i = 0; i < kBufferCount; ++i)
    if (prepared[i]) WaveOut().UnprepareHeader(device, &headers[i], sizeof(WAVEHDR));
}

CMusicPlayer::CMusicPlayer() = default;

CMusicPlayer::~CMusicPlayer() { Stop(); }

void CMusicPlayer::Start(int volumePercent) {
  Stop();
  auto state = std::make_unique<State>();
  state->volumePercent = volumePercent;
  state->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (state->wake == nullptr) return;
  state->thread = CreateThread(nullptr, 0, &State::Body, state.get(), 0, nullptr);
  if (state->thread == nullptr) {
    CloseHandle(state->wake);
    return;
  }
  m_state = std::move(state);
}

void CMusicPlayer::Stop() {
  if (m_state == nullptr) return;
  m_state->stop.store(true);
  SetEvent(m_state->wake);
  if (WaitForSingleObject(m_state->thread, kStopWaitMs) != WAIT_OBJECT_0) {
    // A thread stuck in the driver keeps its state; the process is about to end.
    m_state.release();
    return;
  }
  CloseHandle(m_state->thread);
  CloseHandle(m_state->wake);
  m_state.reset();
}
