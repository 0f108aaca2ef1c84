// A photo's caption for "quillpack new --captions": which parts the maker chose
// (title, date, name), and the caption made of them from the photo's metadata and
// its file name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "data/caption_list.h"
#include "tools/quillpack/photo_metadata.h"

enum class CaptionPart { Title, Date, Name };

// "title,date" (the default), "name", ..., or "none" (no parts). False, with the
// reason in *why, for an unknown or repeated word or "none" beside another.
bool ParseCaptionParts(const std::string& list, std::vector<CaptionPart>* parts, std::string* why);
constexpr char kDefaultCaptionParts[] = "title,date";

// Whether a title is a text that cameras write by themselves ("OLYMPUS DIGITAL
// CAMERA", "SONY DSC", the camera's own make or model) rather than the maker's.
bool IsPlaceholderTitle(const std::string& title, const std::string& make,
                        const std::string& model);

// The text of a metadata field as UTF-8: kept when it is UTF-8 already, else read
// as Latin-1, which is what EXIF and IPTC writers without a character set use.
std::string MetadataTextToUtf8(const std::string& text);

// The file's name without its extension, '_' and '-' read as spaces.
std::string TitleFromFileName(const std::filesystem::path& file);

// The caption of image `number` with the chosen parts: the texts (title, name) in
// the maker's order joined by kCaptionSeparator, and the date taken. False when
// none of the parts is present.
bool MakeCaption(int number, const PhotoMetadata& metadata, const std::filesystem::path& file,
                 const std::vector<CaptionPart>& parts, Caption* caption);
