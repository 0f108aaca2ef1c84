// The photos a product maker names on the command line: files as given, folders
// read in natural name order ("2.jpg" before "10.jpg"), optionally recursively.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Whether a's name comes before b's in natural order: runs of digits compare by
// value, other characters by ASCII letters folded to lower case; ties go byte by
// byte so the order is total.
bool NaturalLess(const std::string& a, const std::string& b);

// Whether a file in a folder is taken as a photo: by its extension (JPEG, PNG, BMP,
// GIF, TGA in any letter case). Files named directly are always tried.
bool HasPhotoExtension(const std::filesystem::path& path);

// Expands `operands` into photo files in order. False, with the reason in *why,
// when an operand does not exist or a folder cannot be read.
bool CollectPhotos(const std::vector<std::string>& operands, bool recursive,
                   std::vector<std::filesystem::path>* photos, std::string* why);
