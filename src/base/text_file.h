#pragma once

#include <string>
#include <string_view>

class TDirectoryHandles;

// Whole-file input and output as the program's files need it.
//
// Text files are read the way Windows text mode reads them, since the
// documents, configurations and word lists come from such machines: every
// CR LF pair becomes one "\n", a lone CR stays. Output is written with "\n".

// The character that joins a directory and a file name in every path the
// program builds.
inline constexpr char kPathSeparator = '/';

// Returns directory + kPathSeparator + name.
std::string joinPath(std::string_view directory, std::string_view name);

// Reads the whole file at path into text (replacing its content), with CR LF
// turned into "\n". Returns false when the path is empty or holds a NUL byte,
// names anything but a regular file (a directory, a FIFO, a device) or cannot
// be opened or read; text is then unchanged.
[[nodiscard]] bool readTextFile(const std::string& path, std::string& text);

// Turns every CR LF pair of text into "\n", in place.
void convertLineEnds(std::string& text);

// True when a file system entry (file, directory, ...) exists at path.
[[nodiscard]] bool pathExists(const std::string& path);

// Writes data to path, truncating an existing file. Every write is checked up
// to the final close; on any failure the partial file is removed and false is
// returned, so a failed save never leaves a truncated file behind. With
// handles, the file is created relative to a handle of its directory when
// one can be had, which spares the system walking the directory's path.
[[nodiscard]] bool writeWholeFile(TDirectoryHandles* handles, const std::string& path,
                                  std::string_view data);
