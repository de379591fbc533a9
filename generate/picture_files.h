// Naming, placing and clearing the pictures a generated page keeps in its companion folder.
#pragma once

#include <string>

// The next free picture name in `folder` for `extension` (without the dot): one more than the
// highest number after "newimage" among its "newimage*.<extension>" files, at least three digits;
// "newimage001.<extension>" when there is none or the folder does not exist. Any thread.
std::string NextPictureName(const std::string& folder, const std::string& extension);

// Creates `folder` and its parents when missing. True when it exists as a folder afterwards.
bool EnsureFolder(const std::string& folder);

// Deletes the "newimage*.gif" files an earlier generation left in `companionFolder`; a missing
// folder or a file that cannot be removed is skipped. Any thread.
void RemoveOldPictures(const std::string& companionFolder);

// The picture format that a file's first bytes show: "gif", "png", "jpg", "bmp", or empty for
// anything else (an empty or truncated file included). Pure; any thread.
std::string PictureFormatOfBytes(const std::string& bytes);

// The size in pixels that a gif, png, jpeg or bmp file's header gives. False when the bytes are
// no such picture, the header is cut short or a dimension is 0. Pure; any thread.
bool NaturalPictureSize(const std::string& bytes, int& width, int& height);
