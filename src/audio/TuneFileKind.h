#pragma once

#include <string>

namespace harkwell {

enum class TuneReader {
    Wave,     // the WAV reader: 8- and 16-bit PCM in one or two channels, and every file it refuses as before
    Decoder,  // any other sound file
};

// Which reader a tune file goes to, from its first chunks. A RIFF/WAVE file
// goes to the WAV reader unless its format chunk names samples that reader
// cannot hold (another format tag, other widths, more channels); a file the
// WAV reader cannot even begin to read, or that is not there, goes to it too,
// so its refusals stay as they were.
TuneReader ChooseTuneReader(const std::string& path);

}  // namespace harkwell
