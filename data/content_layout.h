// Where a product's content sits inside its archive and how the configuration
// document is read: shared by the engine, which reads the content, and by the tools
// that check and pack it, so that both agree on every name and limit.
#pragma once

#include <string>

class IXmlDocument;

// Slideshow images are numbered from 0 and counted up to the first absent number;
// numbers from this one on are never looked at.
constexpr int kMaxImages = 1024;

// Archive name of slideshow image `number`: image 0 is "images/0.jpg".
std::string ImageFileName(int number);

// Music tracks are Ogg Vorbis files numbered from 0 like the images and played in
// that order; numbers from this one on are never looked at.
constexpr int kMaxMusicTracks = 64;
// A track is read whole when it starts; a larger entry is not read and stays silent.
constexpr int kMaxMusicTrackBytes = 64 << 20;

// Archive name of music track `number`: track 0 is "music/0.ogg".
std::string MusicFileName(int number);

// The archive entry that holds the configuration document.
constexpr char kConfigEntryName[] = "config\\config.xml";
// The top-level element of the configuration document.
constexpr char kConfigRootElement[] = "ini";
// The element of <ini> that holds the product's identity.
constexpr char kConfigSection[] = "Screensaver";
// Value of an element the document does not have.
constexpr char kMissingConfigValue[] = "***";

// The slideshow images' captions: UTF-8 text, one line an image, that a maker may
// edit by hand (data/caption_list.h reads and writes it).
constexpr char kCaptionsName[] = "images/captions.txt";
// A caption's text is cut to this many characters (Unicode code points).
constexpr int kMaxCaptionCharacters = 120;

// The bitmap font: its description (required) and its texture.
constexpr char kFontDescriptionName[] = "fonts/basic.font";
constexpr char kFontTextureName[] = "textures/font.tga";
// Loaded at start beside the font texture; nothing draws with it.
constexpr char kDefaultTextureName[] = "textures/default.jpg";
// The splash preview's pictures, in the order they are shown.
constexpr int kSplashCount = 4;
constexpr const char* kSplashFileNames[kSplashCount] = {"splash/splash1.bmp", "splash/splash2.bmp",
                                                        "splash/splash3.bmp", "splash/splash4.bmp"};

// The product's settings key below HKEY_CURRENT_USER: "Software\<company>\<title>".
std::string SettingsKeyName(const std::string& company, const std::string& title);

// The text of <ini>/<section>/<key>, each found depth-first from the one before;
// fallback when any of the three is missing.
const char* GetConfigValue(IXmlDocument& document, const char* section, const char* key,
                           const char* fallback);
