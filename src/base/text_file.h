#pragma once

#include <functional>
#include <string>
#include <string_view>

class TDirectoryHandles;
class TFileIdentities;

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

// Reads the whole file at path into bytes as it is stored, line ends and all;
// false as readTextFile is.
[[nodiscard]] bool readRawFile(const std::string& path, std::string& bytes);

// Turns every CR LF pair of text into "\n", in place.
void convertLineEnds(std::string& text);

// Writes all of data to fd, going on after signals and short writes.
// Returns false on an error; part of data may have been written then.
[[nodiscard]] bool writeAll(int fd, std::string_view data);

// True when a file system entry (file, directory, ...) exists at path.
[[nodiscard]] bool pathExists(const std::string& path);

// How writing an output file went.
enum class TWriteResult {
  written,
  // Not written: the folder is missing, the disk full, a directory stands at
  // the name, ... No partial file is left under any name.
  failed,
  // Not written: the file at the name is one of the given inputs.
  inputAtName,
};

// Writes data as the file path, all or nothing: the bytes go into a new file
// in the same folder (unnamed, or under a hidden temporary name), which takes
// the final name only when complete. The final name is never opened for
// writing: a file or link that stands there is replaced by a rename, so a
// link's target is never written. A directory at the name fails the write,
// and a file that is one of inputs (when given) is left alone. With handles,
// the folder is reached through its cached handle.
[[nodiscard]] TWriteResult writeOutputFile(TDirectoryHandles* handles, const std::string& path,
                                           std::string_view data,
                                           const TFileIdentities* inputs);

// Writes a file's bytes to fd, all of them, or returns false. It is called
// at most once per writeOutputFile, once the new file is made, so that a
// large file can be made and written a block at a time.
using TWriteBytes = std::function<bool(int fd)>;

// writeOutputFile with bytes that write gives.
[[nodiscard]] TWriteResult writeOutputFile(TDirectoryHandles* handles, const std::string& path,
                                           const TWriteBytes& write,
                                           const TFileIdentities* inputs);

// Whether the file at path (not followed if a link) is one of inputs, so
// that writeOutputFile would leave it alone.
[[nodiscard]] bool inputStandsAt(const std::string& path, const TFileIdentities& inputs);

// writeOutputFile without inputs: true when written.
[[nodiscard]] bool writeWholeFile(TDirectoryHandles* handles, const std::string& path,
                                  std::string_view data);

// Installs handlers for SIGINT and SIGTERM that remove the temporary file of
// the write in progress, if any, and end the process with status 128 + the
// signal number.
void removeTemporaryOnInterrupt();
