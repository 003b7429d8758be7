#include "cycle/diagram_cycle.h"

namespace pelmic {

// Placeholder until the geometry lands: yields like the pause until quit.
void RunDiagramCycles(Canvas& canvas, Host& host, RandomSource& random, ScreenSize screen,
                      CycleObserver* observer) {
  (void)random;
  (void)screen;
  (void)observer;
  (void)canvas;
  for (;;) {
    host.DoEvents();
    if (host.QuitFlag() == kQuitRequested) return;
  }
}

}  // namespace pelmic
