// The one source of random draws. The program's formulas assume the C runtime's
// rand(): values 0..32767 and one state per thread. Tests install a scripted source.
#pragma once

// Largest value a draw can return, as with the Windows runtime's rand().
constexpr int kRandomMax = 32767;

// Seeds the calling thread's generator (srand on Windows).
void SeedRandom(unsigned int seed);

// Next draw in 0..kRandomMax: the runtime's rand() on Windows, a generator with the
// same formula natively, or the scripted source when one is installed.
int QuillRand();

// A generator of its own with the runtime's formula, for a slideshow on another
// screen: it must neither mirror the main sequence nor take draws from it.
struct RandomState {
  unsigned int state = 1;
};

// A draw in 0..kRandomMax from `state` alone, with the runtime's formula: neither a
// scope nor a scripted source reaches it, so a generator kept this way takes no draws
// from the slideshow's sequence and gives none to it.
int DrawFrom(RandomState& state);

// The seed the calling thread's generator was given last (1 before any).
unsigned int GetThreadSeed();

// While a scope lives, QuillRand on the calling thread draws from `state` (null: the
// thread's own generator); scopes nest. A scripted source still comes first.
class CRandomScope {
 public:
  explicit CRandomScope(RandomState* state);
  ~CRandomScope();
  CRandomScope(const CRandomScope&) = delete;
  CRandomScope& operator=(const CRandomScope&) = delete;

 private:
  RandomState* m_previous;
};

// A scripted source replaces the generator for every thread until it is removed
// with nullptr. Only tests install one.
using RandomSource = int (*)(void* context);
void SetRandomSource(RandomSource source, void* context);
