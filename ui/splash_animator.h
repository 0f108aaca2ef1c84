// The splash slideshow's timing and choices: every 6 seconds a new picture, reached
// through one of the seven masks in 2 seconds, with no effect and no picture repeated
// straight away. Works on pixel arrays; the Windows side loads the pictures and copies
// the output to the screen.
#pragma once

#include <cstdint>
#include <vector>

// Seconds between two picture changes.
constexpr double kSplashChangeSeconds = 6.0;
// Progress per second: a transition takes 2 seconds.
constexpr double kSplashProgressPerSecond = 0.5;
// At most this many draws look for an effect or picture that differs; the last stands.
constexpr int kSplashMaxDraws = 10;
// The pictures the preview shows, at most.
constexpr int kMaxSplashPictures = 4;

class CSplashAnimator {
 public:
  // Pictures and output are width x height pixels.
  CSplashAnimator(int width, int height);

  // Adds a picture (not owned; it must outlive the animator). Beyond four: ignored.
  void AddPicture(const uint32_t* pixels);
  int GetPictureCount() const { return static_cast<int>(m_pictures.size()); }

  // Advances to time now (seconds since loading ended) and blends the output.
  // False, drawing nothing, when there is no picture.
  bool Step(double now, uint32_t* output);

  int GetEffect() const { return m_effect; }
  int GetCurrent() const { return m_current; }  // picture index, -1 before the first change
  int GetNext() const { return m_next; }        // picture index, -1 before the first step
  float GetProgress() const { return m_progress; }

 private:
  void ChangePictures(double now);
  int DrawPicture();

  int m_width;
  int m_height;
  std::vector<const uint32_t*> m_pictures;
  std::vector<float> m_mask;        // width * height weights
  double m_transitionStart = -1.0;  // seconds; -1 before the first change
  double m_nextSwitch = -1.0;       // seconds; -1 before the first change
  int m_effect = 0;                 // 0..6
  int m_current = -1;
  int m_next = -1;
  float m_progress = 0.0f;
};
