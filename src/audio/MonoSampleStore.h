#pragma once

#include "common/ByteBlock.h"

#include <cstddef>
#include <cstdint>

namespace harkwell {

// The growing block that a decoded tune's 16-bit mono samples are written
// into as they come, so no second copy of the tune is ever held.
class MonoSampleStore {
public:
    // `expectedFrames` sizes the first block; it grows past that as needed.
    // At most `maxFrames` frames are held.
    MonoSampleStore(std::size_t expectedFrames, std::size_t maxFrames);

    // Room for `frames` more frames at Tail(); false when the tune would
    // pass its limit (TooLong()) or memory runs out.
    [[nodiscard]] bool Reserve(std::size_t frames);
    std::int16_t* Tail();
    void Commit(std::size_t frames) { frames_ += frames; }

    std::size_t Frames() const { return frames_; }
    bool TooLong() const { return tooLong_; }
    // The samples written, the spare room given back.
    ByteBlock Take();

private:
    ByteBlock block_;
    std::size_t frames_ = 0;
    std::size_t maxFrames_;
    bool tooLong_ = false;
};

}  // namespace harkwell
