// The music player's Windows side: waveOut (winmm, bound at run time from the system
// folder), fed from a thread of its own with buffers of about 100 ms.
#include "audio/music_player.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "audio/music_mixer.h"
#include "audio/music_source.h"
#include "audio/wave_out_library.h"
#include "base/file_paths.h"
#include "base/straggler_threads.h"

namespace {
const CWaveOutLibrary& WaveOut() { return CWaveOutLibrary::Get(); }

constexpr int kBufferFrames = kMusicOutputRate / 10;  // 100 ms a buffer
constexpr int kBufferCount = 3;                       // 300 ms queued ahead
// The stop fade: 20 ms, so the end does not click.
constexpr int kStopFadeFrames = kMusicOutputRate / 50;
// Longest wait for the fade to play out before the device is closed anyway.
constexpr DWORD kStopFadeWaitMs = 200;
// How long Stop waits for the thread; it ends within the fade and the block of a
// track being read at that moment.
constexpr DWORD kStopWaitMs = 2000;

// The queue of buffers on the device: each buffer's samples and where they stand in
// the stream of frames sent, so that the frames playing now can be found again.
struct Queue {
  WAVEHDR headers[kBufferCount] = {};
  bool prepared[kBufferCount] = {};
  bool sent[kBufferCount] = {};            // written to the device at least once
  uint32_t firstFrame[kBufferCount] = {};  // stream frame of each buffer's first frame
  uint32_t nextFrame = 0;                  // stream frame of the next buffer written
  std::vector<int16_t>* pcm = nullptr;

  bool Write(HWAVEOUT device, int i) {
    headers[i].dwFlags &= ~WHDR_DONE;
    firstFrame[i] = nextFrame;
    nextFrame += kBufferFrames;
    sent[i] = WaveOut().Write(device, &headers[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    return sent[i];
  }

  // Up to kStopFadeFrames stereo frames from stream frame `at` on, from the buffers
  // that still hold them (positions count modulo 2^32, as the device's do).
  std::vector<int16_t> FramesFrom(uint32_t at) const {
    std::vector<int16_t> frames;
    for (bool found = true; found && frames.size() < kStopFadeFrames * 2;) {
      found = false;
      for (int i = 0; i < kBufferCount; ++i) {
        const uint32_t offset = at - firstFrame[i];
        if (!sent[i] || offset >= static_cast<uint32_t>(kBufferFrames)) continue;
        const uint32_t take =
            std::min<uint32_t>(kBufferFrames - offset, kStopFadeFrames - frames.size() / 2);
        const int16_t* from = pcm[i].data() + offset * 2;
        frames.insert(frames.end(), from, from + take * 2);
        at += take;
        found = true;
        break;
      }
    }
    return frames;
  }
};

// Drops what is queued and plays the next 20 ms from the frame playing now once
// more, scaled down to silence: the fade works on the samples, never on the device's
// volume, which older systems share with every program.
void FadeOutAndReset(HWAVEOUT device, const Queue& queue, HANDLE wake) {
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  std::vector<int16_t> fade;
  try {
    if (WaveOut().GetPosition(device, &time, sizeof time) == MMSYSERR_NOERROR &&
        time.wType == TIME_SAMPLES)
      fade = queue.FramesFrom(time.u.sample);
  } catch (...) {
    fade.clear();  // no memory for the fade: the sound simply stops
  }
  WaveOut().Reset(device);
  if (fade.empty()) return;
  FadeOutFrames(fade.data(), static_cast<int>(fade.size() / 2));
  WAVEHDR header{};
  header.lpData = reinterpret_cast<LPSTR>(fade.data());
  header.dwBufferLength = static_cast<DWORD>(fade.size() * sizeof(int16_t));
  if (WaveOut().PrepareHeader(device, &header, sizeof header) != MMSYSERR_NOERROR) return;
  if (WaveOut().Write(device, &header, sizeof header) == MMSYSERR_NOERROR) {
    const DWORD start = GetTickCount();
    while ((header.dwFlags & WHDR_DONE) == 0 && GetTickCount() - start < kStopFadeWaitMs)
      WaitForSingleObject(wake, 10);
    WaveOut().Reset(device);
  }
  WaveOut().UnprepareHeader(device, &header, sizeof header);
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
    try {
      static_cast<State*>(self)->Play();
    } catch (...) {
      // Out of memory while a track is read or decoded: the music ends, the run goes
      // on. Feed catches what happens while the device is open, so it is closed.
    }
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
// back. A buffer that fails to go out, or a failure while the mixer renders, ends the
// music for this run; the device is let go of either way.
void CMusicPlayer::State::Feed(HWAVEOUT device, CMusicMixer& mixer, std::vector<int16_t>* pcm) {
  Queue queue;
  queue.pcm = pcm;
  bool failed = false;
  try {
    for (int i = 0; i < kBufferCount && !failed; ++i) {
      WAVEHDR& header = queue.headers[i];
      header.lpData = reinterpret_cast<LPSTR>(pcm[i].data());
      header.dwBufferLength = static_cast<DWORD>(pcm[i].size() * sizeof(int16_t));
      queue.prepared[i] =
          WaveOut().PrepareHeader(device, &header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
      if (i > 0) mixer.Render(pcm[i].data(), kBufferFrames);
      failed = !queue.prepared[i] || !queue.Write(device, i);
    }
    while (!stop.load()) {
      WaitForSingleObject(wake, INFINITE);
      for (int i = 0; i < kBufferCount && !failed && !stop.load(); ++i) {
        if ((queue.headers[i].dwFlags & WHDR_DONE) == 0) continue;
        if (mixer.Render(pcm[i].data(), kBufferFrames) == 0) continue;  // nothing left to play
        failed = !queue.Write(device, i);
      }
    }
  } catch (...) {
    failed = true;
  }
  FadeOutAndReset(device, queue, wake);
  for (int i = 0; i < kBufferCount; ++i)
    if (queue.prepared[i]) WaveOut().UnprepareHeader(device, &queue.headers[i], sizeof(WAVEHDR));
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
    // A thread stuck in the driver keeps its state, and the process must not run the
    // C runtime's exit under it.
    CStragglerThreads::Keep(m_state->thread);
    m_state.release();
    return;
  }
  CloseHandle(m_state->thread);
  CloseHandle(m_state->wake);
  m_state.reset();
}
