// The splash thread: loads the four splash pictures from the content archive, scaled
// to the target, and blends them into the target every 20 ms until stopped.
#include "ui/splash_thread.h"

#include <atomic>
#include <memory>
#include <vector>

#include "base/random.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/frame_timer.h"
#include "ui/dib_surface.h"
#include "ui/splash_animator.h"

namespace {
// Shared with the main thread without a lock: it writes, the thread only reads. The
// handles are written before the thread is resumed; the flag is atomic because it
// changes while the thread runs.
HANDLE g_splashThread = nullptr;
HWND g_splashTarget = nullptr;
HINSTANCE g_splashInstance = nullptr;
std::atomic<bool> g_splashRunning{false};

constexpr DWORD kStepPauseMs = 20;
// Longest wait for the thread to end after its flag clears: 50 steps of 20 ms. A
// thread that takes longer is terminated.
constexpr DWORD kStopWaitMs = 50 * kStepPauseMs;

// The thread's pictures, output and animation state for one target.
struct SplashScene {
  std::vector<std::unique_ptr<CDibSurface>> pictures;
  CDibSurface output;
  std::unique_ptr<CSplashAnimator> animator;
};

// Loads the pictures that exist; a file that is no usable bitmap stays black.
void LoadScene(HWND target, SplashScene* scene) {
  RECT client{};
  GetClientRect(target, &client);
  // The surfaces are at least 8 x 8; the animation covers them whole.
  if (!scene->output.Create(client.right - client.left, client.bottom - client.top)) return;
  const int width = scene->output.GetWidth();
  const int height = scene->output.GetHeight();
  scene->animator = std::make_unique<CSplashAnimator>(width, height);
  for (const char* name : kSplashFileNames) {
    std::unique_ptr<IFileData> file = ReadArchiveFile(name, false);
    if (!file) continue;
    auto picture = std::make_unique<CDibSurface>();
    if (!picture->Create(width, height)) continue;
    picture->LoadBitmapFile(file->GetData(), file->GetSize());
    scene->animator->AddPicture(picture->GetBits());
    scene->pictures.push_back(std::move(picture));
  }
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

DWORD WINAPI SplashThreadBody(void*) {
  try {
    const HWND target = g_splashTarget;
    CFrameTimer timer;
    timer.Start();
    SplashScene scene;
    LoadScene(target, &scene);
    // This thread's own generator, seeded from how long loading took.
    SeedRandom(static_cast<unsigned int>(timer.Elapsed() * 1000.0));
    timer.Start();
    while (scene.animator && IsWindow(target) && g_splashRunning.load()) {
      // With no picture there is nothing to draw, and the thread ends.
      if (!scene.animator->Step(timer.Elapsed(), scene.output.GetBits())) break;
      GdiFlush();
      Present(target, scene.output);
      Sleep(kStepPauseMs);
    }
  } catch (...) {
    // The preview reports nothing; the thread simply ends.
  }
  return 0;
}
}  // namespace

HANDLE StartSplashThread(HWND target, HINSTANCE instance) {
  g_splashTarget = target;
  g_splashInstance = instance;
  g_splashThread = CreateThread(nullptr, 0, &SplashThreadBody, nullptr, CREATE_SUSPENDED, nullptr);
  g_splashRunning.store(g_splashThread != nullptr);
  return g_splashThread;
}

void ResumeSplashThread() {
  if (g_splashThread != nullptr) ResumeThread(g_splashThread);
}

void StopSplashThread() {
  g_splashRunning.store(false);
  if (g_splashThread == nullptr) return;
  // The thread sees the flag after its current step; the last resort is for one
  // that hangs.
  if (WaitForSingleObject(g_splashThread, kStopWaitMs) == WAIT_TIMEOUT)
    TerminateThread(g_splashThread, 0);
  // Closed here so that repeated previews do not leak a handle each.
  CloseHandle(g_splashThread);
  g_splashThread = nullptr;
}
