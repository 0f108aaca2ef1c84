// Plays the product's music during a run, on a thread of its own that decodes and
// feeds the sound device a buffer at a time: the frame loop never waits for it.
#pragma once

#include <memory>

class CMusicPlayer {
 public:
  CMusicPlayer();
  ~CMusicPlayer();  // stops
  CMusicPlayer(const CMusicPlayer&) = delete;
  CMusicPlayer& operator=(const CMusicPlayer&) = delete;

  // Starts the tracks of the program's own archive at volumePercent (0..100), faded
  // in. A product without music, a missing or failing device and undecodable tracks
  // all give silence, never a message.
  void Start(int volumePercent);
  // Fades out briefly and stops; harmless when nothing plays.
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> m_state;  // null while stopped
};
