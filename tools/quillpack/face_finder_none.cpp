// The face finder of builds without a detector (the Windows quillpack): it finds
// nothing, so no focus is recorded.
#include "tools/quillpack/face_finder.h"

struct CFaceFinder::Detector {};

CFaceFinder::CFaceFinder() = default;
CFaceFinder::~CFaceFinder() = default;

bool CFaceFinder::IsAvailable() { return false; }

std::vector<FaceBox> CFaceFinder::Find(const MipLevel& /*image*/) { return {}; }
