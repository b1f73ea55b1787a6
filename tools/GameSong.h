#pragma once

#include <string>

namespace Quill::Content {

// The playfield's song: a lively four-channel module in C major at 150 beats
// a minute (lead, arpeggiated chords, bouncing bass, drums) with our own
// synthesised 8-bit samples, about a minute and a half long, ending on a held
// chord that fades out so the game can start it again.
class GameSong {
public:
    // The module file's bytes.
    [[nodiscard]] static std::string Compose();
};

} // namespace Quill::Content
