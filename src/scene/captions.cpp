// The caption timeline: twelve two-second slots, then the end of the cycle.
#include "scene/wave_demo.h"

namespace {

const double kSlotSeconds = 2.0;

const char* const kCaptions[] = {
    "ropa puta!",     "puta ropa",    "como me gusta...", "pasar la mopa",
    "Esta Plumo",     "no puedo",     "cuando salga",     "me pillo un pedo",
    "chunda, chunda", "chumba chum!", "pedooooo",         "patachum!!",
};

}  // namespace

const char* CaptionAt(double t) {
  // Each slot ends, exclusively, at the next multiple of two seconds.
  double end = kSlotSeconds;
  for (const char* caption : kCaptions) {
    if (t < end) return caption;
    end += kSlotSeconds;
  }
  return nullptr;
}
