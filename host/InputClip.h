// What our tools check of an input clip before they hand its path to the
// plug-in (distinct one-line reasons for a missing, unreadable or non-audio
// file), the absolute path the plug-in is given, and the names they derive
// from the clip's.
#pragma once

#include <string>

// True when path is a WAVE or AIFF file holding audio; frames is its length at
// the host's sampleRate.
bool CheckInputClip(const std::string& path, int sampleRate, double* frames, std::string* error);
// The absolute path with no links (on Windows, the full path); empty (errno
// set) when it cannot be resolved.
std::string RealPath(const std::string& path);
// CheckInputClip, then the clip's absolute path for the plug-in, refused when
// the output would overwrite it.
bool ResolveInputClip(const std::string& input, const std::string& outputPath, int sampleRate,
                      std::string* clipPath, double* frames, std::string* error);

// "dir/take.aiff" -> "take.aiff".
std::string BaseName(const std::string& path);
// "dir/take.aiff" with "-stretched.wav" -> "take-stretched.wav", for the current directory.
std::string DerivedName(const std::string& input, const std::string& suffix);
