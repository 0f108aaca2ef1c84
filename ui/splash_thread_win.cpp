// The splash thread: loads the four splash pictures from the content archive, scaled
// to the target, and blends them into the target every 20 ms until stopped.
#include "ui/splash_thread.h"

#include <atomic>
#include <memory>
#include <vector>

#include "base/random.h"
#include "base/straggler_threads.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/frame_timer.h"
#include "ui/dib_surface.h"
#include "ui/splash_animator.h"

namespace {
// One splash thread's run: the target and the thread's own flag, shared by the main
// thread, which raises the flag, and the thread, which reads it between every step. A
// thread left running by an earlier Stop keeps its own raised flag, so the next
// Start cannot revive it.
struct SplashRun {
  HWND target = nullptr;
  std::atomic<bool> stop{false};  // set once, by StopSplashThread

  bool Running() const { return !stop.load(); }
};

// Written by the main thread only.
HANDLE g_splashThread = nullptr;
std::shared_ptr<SplashRun> g_splashRun;

constexpr DWORD kStepPauseMs = 20;
// Longest wait for the thread to end after its flag clears: 50 steps of 20 ms.
constexpr DWORD kStopWaitMs = 50 * kStepPauseMs;

// The thread's pictures, output and animation state for one target.
struct SplashScene {
  std::vector<std::unique_ptr<CDibSurface>> pictures;
  CDibSurface output;
  std::unique_ptr<CSplashAnimator> animator;
};

// Loads the pictures that exist; a file that is no usable bitmap stays black. Gives up
// between any two steps, and inside a read, once the run's flag clears.
void LoadScene(const SplashRun& run, SplashScene* scene) {
  RECT client{};
  GetClientRect(run.target, &client);
  // The surfaces are at least 8 x 8; the animation covers them whole.
  if (!run.Running() ||
      !scene->output.Create(client.right - client.left, client.bottom - client.top))
    return;
  const int width = scene->output.GetWidth();
  const int height = scene->output.GetHeight();
  auto animator = std::make_unique<CSplashAnimator>(width, height);
  for (const char* name : kSplashFileNames) {
    if (!run.Running()) return;
    std::unique_ptr<IFileData> file = ReadArchiveFile(name, false, &run.stop);
    if (!file || !run.Running()) continue;
    auto picture = std::make_unique<CDibSurface>();
    if (!picture->Create(width, height) || !run.Running()) continue;
    picture->LoadBitmapFile(file->GetData(), file->GetSize());
    animator->AddPicture(picture->GetBits());
    scene->pictures.push_back(std::move(picture));
  }
  if (run.Running()) scene->animator = std::move(animator);
}

void Present(HWND target, const CDibSurface& output) {
  HDC window = GetDC(target);
  if (window == nullptr) return;
  HDC memory = CreateCompatibleDC(window);
  HGDIOBJ old = SelectObject(memory, output.GetBitmap());
  BitBlt(window, 0, 0, output.GetWidth(), output.GetHeight(), memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(target, window);
}

DWORD WINAPI SplashThreadBody(void* parameter) {
  // The thread's share of its run, handed over by StartSplashThread.
  const std::unique_ptr<std::shared_ptr<SplashRun>> share(
      static_cast<std::shared_ptr<SplashRun>*>(parameter));
  const SplashRun& run = **share;
  try {
    CFrameTimer timer;
    timer.Start();
    SplashScene scene;
    LoadScene(run, &scene);
    // This thread's own generator, seeded from how long loading took.
    SeedRandom(static_cast<unsigned int>(timer.Elapsed() * 1000.0));
    timer.Start();
    while (scene.animator && run.Running() && IsWindow(run.target)) {
      // With no picture there is nothing to draw, and the thread ends.
      if (!scene.animator->Step(timer.Elapsed(), scene.output.GetBits())) break;
      if (!run.Running()) break;
      GdiFlush();
      Present(run.target, scene.output);
      Sleep(kStepPauseMs);
    }
  } catch (...) {
    // The preview reports nothing; the thread simply ends.
  }
  return 0;
}
}  // namespace

HANDLE StartSplashThread(HWND target, HINSTANCE) {
  StopSplashThread();
  auto run = std::make_shared<SplashRun>();
  run->target = target;
  auto* share = new std::shared_ptr<SplashRun>(run);
  g_splashThread = CreateThread(nullptr, 0, &SplashThreadBody, share, CREATE_SUSPENDED, nullptr);
  if (g_splashThread == nullptr) {
    delete share;
    return nullptr;
  }
  g_splashRun = std::move(run);
  return g_splashThread;
}

void ResumeSplashThread() {
  if (g_splashThread != nullptr) ResumeThread(g_splashThread);
}

void StopSplashThread() {
  if (g_splashRun) g_splashRun->stop.store(true);
  g_splashRun.reset();
  if (g_splashThread == nullptr) return;
  // The thread sees the flag within a step or a block of a read. One that does not
  // end in time is never terminated: it may hold the archive's lock or be inside
  // GDI. It is left to the process's end.
  if (WaitForSingleObject(g_splashThread, kStopWaitMs) == WAIT_OBJECT_0)
    CloseHandle(g_splashThread);
  else
    CStragglerThreads::Keep(g_splashThread);
  g_splashThread = nullptr;
}
