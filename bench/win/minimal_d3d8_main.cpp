// The reference of the start-up benchmark: the least a Direct3D 8 program does to
// show a frame in a window like the test mode's (create the window and the device,
// clear, present once), so the difference to the product is the product's own cost.
#include <windows.h>

#include "app/saver_app.h"
#include "render/com_ptr.h"
#include "render/d3d8_library.h"
#include "ui/saver_wnd.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "Minimal Direct3D 8";
  RegisterClassExA(&windowClass);
  HWND window = CreateWindowExA(
      0, windowClass.lpszClassName, "Debug Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
      CW_USEDEFAULT, kDebugWindowWidth, kDebugWindowHeight, nullptr, nullptr, instance, nullptr);
  CD3D8Library library;
  CCom<IDirect3D8> d3d(library.Create());
  if (window == nullptr || !d3d) return 1;
  D3DDISPLAYMODE mode{};
  d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
  D3DPRESENT_PARAMETERS present{};
  present.BackBufferFormat = mode.Format;
  present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  present.Windowed = TRUE;
  present.EnableAutoDepthStencil = TRUE;
  present.AutoDepthStencilFormat = D3DFMT_D16;
  CCom<IDirect3DDevice8> device;
  if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                               D3DCREATE_HARDWARE_VERTEXPROCESSING, &present, &device)))
    return 1;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  HANDLE presented = OpenEventA(EVENT_MODIFY_STATE, FALSE, kFirstFrameEventName);
  if (presented != nullptr) {
    SetEvent(presented);
    CloseHandle(presented);
  }
  device.Reset();
  d3d.Reset();
  DestroyWindow(window);
  return 0;
}
