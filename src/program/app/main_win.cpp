// KWRCLS32.EXE: the one application object and its loop.
#include "app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int show) {
  static CKitwrightApp app;
  return app.Run(commandLine, show);
}
