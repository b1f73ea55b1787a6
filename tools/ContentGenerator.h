#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>

namespace Quill::Content {

class BakedFont;
class TypeFace;

// Makes all of the game's content: reads the art sources and the hand-written
// properties, writes pictures, image fonts, sounds, music, licences and the
// copied properties into the data folder, and the review pictures into the
// review folder.
class ContentGenerator {
public:
    // Where everything is read from and written to.
    struct Folders {
        std::filesystem::path source;     // tools/content
        std::filesystem::path properties; // properties/ of the repository
        std::filesystem::path data;       // the data folder beside the executable
        std::filesystem::path review;     // contact sheet and mock screens
    };

    explicit ContentGenerator(Folders folders);
    ~ContentGenerator();
    ContentGenerator(const ContentGenerator&) = delete;
    ContentGenerator& operator=(const ContentGenerator&) = delete;

    // Generates everything; false (with a message on standard error) when any
    // file could not be made.
    [[nodiscard]] bool Run();

private:
    [[nodiscard]] bool MakePictures();
    [[nodiscard]] bool MakeFonts();
    [[nodiscard]] bool MakeSounds();
    [[nodiscard]] bool MakeMusic();
    [[nodiscard]] bool CopyProperties();
    [[nodiscard]] bool InstallLicences();
    [[nodiscard]] bool MakeReview();
    // Reports a failed step and returns false.
    bool Failed(const std::string& what);

    Folders mFolders;
    // Outline fonts for the image fonts and the artwork's lettering.
    std::unique_ptr<TypeFace> mDisplayFace;
    std::unique_ptr<TypeFace> mTextFace;
    // The four image fonts (big, medium, small, tiny) once made.
    std::array<std::unique_ptr<BakedFont>, 4> mFonts;
};

} // namespace Quill::Content
