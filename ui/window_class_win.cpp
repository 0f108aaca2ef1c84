// Registering a window class, or finding it registered.
#include "ui/window_class.h"

bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure,
                         HBRUSH background) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  if (RegisterClassExA(&windowClass) != 0) return true;
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  return GetClassInfoExA(instance, name, &existing) != FALSE;
}
