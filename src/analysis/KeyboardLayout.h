#pragma once

#include <cstdint>
#include <vector>

namespace harkwell {

// The keys of a piano keyboard over a contiguous range of notes, laid out in
// a picture of the given size, with their colours and the marked notes.
class KeyboardLayout {
public:
    enum class Kind { White, Black };

    struct Key {
        Kind kind = Kind::White;
        int note = 0;
        // Pixels; a point is on the key when left <= x <= right and top <= y <= bottom.
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        std::uint32_t colour = 0;  // 0x00BBGGRR
    };

    static constexpr int kMaxKeys = 128;
    static constexpr int kMaxMarks = 128;
    static constexpr std::uint32_t kWhite = 0xFFFFFF;
    static constexpr std::uint32_t kBlack = 0x000000;

    // Pitch classes 1, 3, 6, 8 and 10.
    static bool IsBlack(int note);

    // Lays out notes lowest .. highest in width x height pixels: white keys
    // side by side, each black key one white key wide, centred on the edge
    // between its neighbours and half as tall; a black key at either end of
    // the range takes half a white key's room. False, leaving the layout
    // empty, for a range of more than 128 keys, one that ends more than one
    // below its start, or notes beyond 0..127.
    [[nodiscard]] bool Build(int lowest, int highest, int width, int height);

    bool Built() const { return built_; }
    int Lowest() const { return lowest_; }
    int Highest() const { return highest_; }
    int KeyCount() const { return static_cast<int>(keys_.size()); }
    double WhiteKeyWidth() const { return whiteWidth_; }
    const std::vector<Key>& Keys() const { return keys_; }

    // The key under a point, black keys first since they lie on top; -1 for none.
    int KeyAt(int x, int y) const;
    // Colours the key of the note; notes off the keyboard are ignored.
    void SetKeyColour(int note, std::uint32_t colour);

    // Appends a note to the marked notes (a note may be listed twice); false,
    // with nothing changed, once 128 are listed.
    [[nodiscard]] bool MarkNote(int note);
    void ClearMarkedNotes() { marked_.clear(); }
    bool IsMarked(int note) const;
    const std::vector<int>& MarkedNotes() const { return marked_; }

private:
    bool built_ = false;
    int lowest_ = 0;
    int highest_ = -1;
    double whiteWidth_ = 0.0;
    std::vector<Key> keys_;
    std::vector<int> marked_;
};

}  // namespace harkwell
