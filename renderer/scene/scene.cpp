// Scene rendering: graphics state, projection, per-piece geometry, the additive white flash
// and frame timing. Depends on the confetti model for the pool and clocks and on gl_api.h
// for every OpenGL, GLU and counter call, so it builds natively against a stand-in.
#include "renderer/scene/scene.h"

#include <cmath>
#include <ctime>

#include "renderer/scene/gl_api.h"

uint32_t lastFrameMillis;
float flashAlpha;
float flashSeconds;
bool perspectiveLoaded;

namespace {

uint32_t systemCalendarSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

constexpr float PaperSize = 0.65f;
constexpr double FirstFlash = 7.5;
constexpr double SecondFlash = static_cast<double>(17.95f);  // tuned as a float literal

// The 640 x 480 canvas of the flash quad and of the pre-scene orthographic projection.
constexpr int CanvasWidth = 640;
constexpr int CanvasHeight = 480;

void loadCanvasOrtho() { glOrtho(0, CanvasWidth, 0, CanvasHeight, -100, 100); }

// The designed view: 45 degrees high at 4:3, with 3-pixel dots in its 768 rows.
constexpr double DesignedFovy = 45.0;
constexpr double DesignedAspect = 4.0 / 3.0;
constexpr float DesignedDotPixels = 3.0f;
constexpr int DesignedRows = 768;

// What the last resize chose, loaded by setupScene and by every later resize.
double viewAspect = DesignedAspect;
float dotPixels = DesignedDotPixels;

// A projection of another aspect still shows the whole designed view: a wider one keeps the
// vertical field and shows more at the sides, a narrower one keeps the designed horizontal
// extent and opens the vertical field to show more above and below.
void loadPerspective() {
  constexpr double DegreesPerRadian = 57.29577951308232;
  double fovy = DesignedFovy;
  if (viewAspect < DesignedAspect) {
    const double halfHeight = std::tan(DesignedFovy / 2 / DegreesPerRadian) * DesignedAspect / viewAspect;
    fovy = 2 * std::atan(halfHeight) * DegreesPerRadian;
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, viewAspect, static_cast<double>(0.1f), 100.0);
  glTranslatef(0.0f, -5.0f, -30.0f);  // eye at (0, 5, 30); lives on the projection matrix
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void showPiece(const ConfettiPiece& piece) { piece.draw(); }

}  // namespace

uint32_t (*calendarSeconds)() = systemCalendarSeconds;

bool initGraphics() {
  seedRandom(calendarSeconds());
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_POINT_SMOOTH);
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glDepthFunc(GL_LEQUAL);  // depth testing stays off: later slots paint over earlier ones
  lastFrameMillis = timeGetTime();
  return true;
}

void setupScene() {
  glPointSize(dotPixels);
  glEnable(GL_BLEND);
  glHint(GL_POINT_SMOOTH_HINT, GL_FASTEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_POINT_SMOOTH);
  loadPerspective();
  perspectiveLoaded = true;
}

namespace {

void setViewport(int width, int height) {
  glViewport(0, 0, width, height);
  // Before the first frame the canvas projection is a placeholder that setupScene replaces;
  // after it, a resize (restore from the task bar, the windowed fallback dragged) must keep
  // the scene's perspective or the confetti collapses into a corner.
  if (perspectiveLoaded) {
    loadPerspective();
    return;
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  loadCanvasOrtho();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

void resizeViewport(int width, int height) {
  if (height == 0) height = 1;
  setViewport(width, height);
}

void resizeViewportKeepingShape(int width, int height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  viewAspect = static_cast<double>(width) / height;
  dotPixels = std::fmax(1.0f, DesignedDotPixels * static_cast<float>(height) / DesignedRows);
  if (perspectiveLoaded) glPointSize(dotPixels);
  setViewport(width, height);
}

void ConfettiPiece::draw() const {
  if (active != 1) return;
  glPushMatrix();
  glTranslatef(x, y, z);
  glRotatef(angleX, 1.0f, 0.0f, 0.0f);
  glRotatef(angleY, 0.0f, 1.0f, 0.0f);
  glRotatef(angleZ, 0.0f, 0.0f, 1.0f);
  glTranslatef(pivotX, pivotY, pivotZ);  // after the rotations: the paper swings about x,y,z
  glColor3f(red, green, blue);
  glEnable(GL_POINT_SMOOTH);
  switch (shape) {
    case 1:
    case 2:
    case 3:
      glBegin(GL_TRIANGLE_STRIP);
      glVertex2f(PaperSize, PaperSize);
      glVertex2f(0.0f, PaperSize);
      glVertex2f(PaperSize, 0.0f);
      glVertex2f(0.0f, 0.0f);
      break;
    case 4:
    case 5:
      glBegin(GL_TRIANGLE_STRIP);
      glVertex2f(PaperSize, PaperSize);
      glVertex2f(0.0f, PaperSize);
      glVertex2f(PaperSize, 0.0f);
      break;
    default:
      glBegin(GL_POINTS);
      glVertex3f(0.0f, 0.0f, 0.0f);
      break;
  }
  glEnd();
  glPopMatrix();
}

bool drawFlash(uint8_t trigger, float fadeSeconds) {
  if (fadeSeconds != 0.0f) flashSeconds = fadeSeconds;
  if (trigger == 1) flashAlpha = 1.0f;
  if (flashAlpha == 0.0f) return true;
  glPushMatrix();  // the projection matrix: the caller selected it
  glLoadIdentity();
  loadCanvasOrtho();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);  // added to the picture; the next frame resets it
  glColor4f(1.0f, 1.0f, 1.0f, flashAlpha);
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  glVertex2i(0, 0);
  glVertex2i(CanvasWidth, 0);
  glVertex2i(CanvasWidth, CanvasHeight);
  glVertex2i(0, CanvasHeight);
  glEnd();
  const double faded = flashAlpha - frameSeconds * (1.0 / flashSeconds);
  flashAlpha = faded > 0.0 ? static_cast<float>(faded) : 0.0f;
  glPopMatrix();
  return true;
}

void drawFrame() {
  lastFrameMillis = timeGetTime();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  simulateFrame(showPiece);
  glMatrixMode(GL_PROJECTION);
  if (crossesThisFrame(FirstFlash)) drawFlash(1, 1.0f);
  if (crossesThisFrame(SecondFlash)) drawFlash(1, 1.0f);
  drawFlash(0, 0.0f);
  glMatrixMode(GL_MODELVIEW);
}

double measureFrameSeconds() {
  const uint32_t elapsed = timeGetTime() - lastFrameMillis;  // modulo 2^32
  return static_cast<double>(elapsed) * 0.001;
}

void startScene() {
  initGraphics();
  setupScene();
  startSceneClock();
}

void drawNextFrame() {
  frameSeconds = measureFrameSeconds();
  drawFrame();
  advanceSceneClock();
}

void renderNextFrame() {
  if (sceneTime == 0.0) startScene();
  drawNextFrame();
}

namespace {
uint32_t replaySeed;
uint32_t seedOfReplay() { return replaySeed; }
}  // namespace

void startReplay(uint32_t seed) {
  replaySeed = seed;
  calendarSeconds = seedOfReplay;
}

void resetScene() {
  resetConfetti();
  lastFrameMillis = 0;
  flashAlpha = 0.0f;
  flashSeconds = 0.0f;
  perspectiveLoaded = false;
  viewAspect = DesignedAspect;
  dotPixels = DesignedDotPixels;
  calendarSeconds = systemCalendarSeconds;
}
