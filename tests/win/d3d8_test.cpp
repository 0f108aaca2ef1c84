// Direct3D 8 through the run-time binding: a missing library is an ordinary failure,
// and the real one yields a device whose cleared back buffer reads back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "render/com_ptr.h"
#include "render/d3d8_library.h"
#include "tests/win/support/saver_harness.h"

namespace {
// Per-channel tolerance for colours read back from the device.
constexpr int kTolerance = 2;

bool ColourMatches(uint32_t actual, uint32_t expected) {
  return ColoursMatch(actual, expected, kTolerance);
}

// A plain window for the device to present into.
class CTestWindow {
 public:
  CTestWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuillD3D8Test";
    RegisterClassA(&windowClass);
    m_window = CreateWindowA("QuillD3D8Test", "d3d8 test", WS_OVERLAPPEDWINDOW, 0, 0, 160, 160,
                             nullptr, nullptr, windowClass.hInstance, nullptr);
  }
  ~CTestWindow() {
    if (m_window != nullptr) DestroyWindow(m_window);
  }
  HWND Get() const { return m_window; }

 private:
  HWND m_window = nullptr;
};
}  // namespace

TEST(D3D8Library, AMissingLibraryOrEntryPointIsAnOrdinaryFailure) {
  const char* const libraries[] = {"quill-no-such-d3d8.dll", "kernel32.dll"};
  for (const char* name : libraries) {
    CD3D8Library library(name);
    EXPECT_FALSE(library.IsLoaded()) << name;
    EXPECT_EQ(library.Create(), nullptr) << name;
  }
}

TEST(D3D8Library, ADeviceClearsItsBackBufferToTheAskedColour) {
  CD3D8Library library;
  ASSERT_TRUE(library.IsLoaded());
  CCom<IDirect3D8> d3d(library.Create());
  ASSERT_TRUE(d3d);
  ASSERT_GE(d3d->GetAdapterCount(), 1u);

  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
  // The bench's display is 24-bit, so the back buffer holds 32-bit pixels; in any other
  // format the reads below would misinterpret the bytes, so the test stops here.
  ASSERT_TRUE(mode.Format == D3DFMT_X8R8G8B8 || mode.Format == D3DFMT_A8R8G8B8) << mode.Format;
  CTestWindow window;
  ASSERT_NE(window.Get(), nullptr);

  D3DPRESENT_PARAMETERS present{};
  present.BackBufferWidth = 64;
  present.BackBufferHeight = 64;
  present.BackBufferFormat = mode.Format;
  present.BackBufferCount = 1;
  present.SwapEffect = D3DSWAPEFFECT_COPY;
  present.hDeviceWindow = window.Get();
  present.Windowed = TRUE;
  present.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  CCom<IDirect3DDevice8> device;
  ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.Get(),
                              D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device),
            D3D_OK);

  const uint32_t colour = 0x00C04020;
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
  CCom<IDirect3DSurface8> backBuffer;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (int y : {0, 31, 63}) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const char*>(locked.pBits) +
                                                        y * locked.Pitch);
    for (int x : {0, 32, 63})
      EXPECT_TRUE(ColourMatches(row[x], colour)) << std::hex << row[x] << " at " << x << "," << y;
  }
  backBuffer->UnlockRect();
  backBuffer.Reset();
  EXPECT_EQ(device.Reset(), 0u);  // the device's last reference
  EXPECT_EQ(d3d.Reset(), 0u);
}
