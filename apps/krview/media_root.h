// Where krview runs: the media root becomes the current folder, because the device names every
// file relative to the engine's media dir ".".
#pragma once

#include <string>

namespace krview {

// The folder that holds krview.exe, without a trailing separator.
std::string ProgramFolder();

// An absolute form of `path`, taken relative to the current folder; empty stays empty.
std::string AbsolutePath(const std::string& path);

// The media root to use: `requested` when given, else the current folder when it holds the media
// set, else the project's media folder next to the build (bin\..\..\media).
std::string ChooseMediaRoot(const std::string& requested);

// Makes `root` the current folder; false when it does not exist.
bool EnterMediaRoot(const std::string& root);

}  // namespace krview
