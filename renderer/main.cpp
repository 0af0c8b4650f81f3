// Entry point of Pomarel.dll, the renderer program (a GUI executable despite its name): the
// one place where the window layer meets the scene, which never include each other. The
// host starts it without arguments; nothing of the command line is read.
#include "renderer/scene/scene.h"
#include "renderer/window/window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return runRendererWindow(SceneHooks{resizeViewport, startScene, drawNextFrame});
}
