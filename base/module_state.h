// The window framework's module state: the program's instance handle, and per thread
// the objects being created, so that a window or dialog procedure can bind its object
// to the handle on the first message it receives.
#pragma once

#include <windows.h>

class CModuleState {
 public:
  static void Init(HINSTANCE instance);
  static void Release();
  static HINSTANCE Instance();

  // The creator pushes its object before CreateWindowEx/DialogBoxParam; the
  // procedure takes it on its first message. Creation may nest, hence a stack.
  static void PushCreating(void* object);
  static void* TakeCreating();
};
