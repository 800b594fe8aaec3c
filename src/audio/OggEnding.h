#pragma once

namespace harkwell {

// True when the Ogg file open at `fd` ends with a whole page that closes its
// stream. A cut-off Ogg file states a length from its last whole page, so
// only its ending tells that more was meant to follow.
bool OggEndsWithClosingPage(int fd);

}  // namespace harkwell
