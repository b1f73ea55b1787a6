#include "tools/ContentGenerator.h"

#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <utility>

#include "platform/Files.h"
#include "tools/AudioFiles.h"
#include "tools/BakedFont.h"
#include "tools/GameSong.h"
#include "tools/MenuSong.h"
#include "tools/ReviewSheets.h"
#include "tools/SceneArt.h"
#include "tools/SoundEffects.h"
#include "tools/SpriteArt.h"
#include "tools/Synth.h"
#include "tools/TypeFace.h"

namespace Quill::Content {

namespace {

// The outline fonts the image fonts are made from (Debian's fonts-comfortaa
// and fonts-quicksand, both under the SIL Open Font Licence).
const std::filesystem::path kDisplayFace = "/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf";
const std::filesystem::path kTextFace = "/usr/share/fonts/truetype/quicksand/Quicksand-Bold.ttf";

// One image font of the game: file stem, outline font and style.
struct FontPlan {
    const char* stem;
    const char* title;
    bool display;
    FontStyle style;
};

const FontPlan kFonts[] = {
    {"big", "fontBig", true, {30, 2.0, 0.75, 0, 2}},
    {"medium", "fontMedium", true, {20, 1.5, 0.7, 0, 1}},
    {"small", "fontSmall", false, {16, 1.3, 0.65, 0, 1}},
    {"tiny", "fontTiny", false, {13, 1.0, 0.6, 0, 1}},
};

} // namespace

ContentGenerator::ContentGenerator(Folders folders)
    : mFolders(std::move(folders)), mDisplayFace(std::make_unique<TypeFace>(kDisplayFace)),
      mTextFace(std::make_unique<TypeFace>(kTextFace))
{}

ContentGenerator::~ContentGenerator() = default;

bool ContentGenerator::Failed(const std::string& what)
{
    std::fprintf(stderr, "mewbloom_content: %s\n", what.c_str());
    return false;
}

bool ContentGenerator::Run()
{
    if (!mDisplayFace->IsValid() || !mTextFace->IsValid())
        return Failed("the game's outline fonts are missing (fonts-comfortaa, fonts-quicksand)");
    return MakeFonts() && MakePictures() && MakeSounds() && MakeMusic() && CopyProperties() &&
           InstallLicences() && MakeReview() &&
           Platform::WriteFileAtomically(mFolders.data / "content.stamp", std::string("generated\n"));
}

bool ContentGenerator::MakePictures()
{
    const SpriteArt sprites(mFolders.source);
    const SceneArt scenes(sprites, *mDisplayFace);
    const std::filesystem::path images = mFolders.data / "images";
    const std::pair<const char*, Canvas> pictures[] = {
        {"pets", sprites.Pets()},
        {"cages", sprites.Cages()},
        {"cell", sprites.Cell()},
        {"bigpets", sprites.PetRow(SpriteArt::kBigPet)},
        {"smallpets", sprites.PetRow(SpriteArt::kSmallPet)},
        {"particle", sprites.Particle()},
        {"eyes", sprites.Eyes()},
        {"arrow", sprites.Arrow()},
        {"dot", sprites.Dot()},
        {"dialog", sprites.Dialog()},
        {"dialogbtn", sprites.DialogButton()},
        {"checkbox", sprites.Checkbox()},
        {"slidertrack", sprites.SliderTrack()},
        {"sliderthumb", sprites.SliderThumb()},
        {"gamebgr", scenes.GameBackground()},
        {"menubgr", scenes.MenuBackground()},
        {"boyblink", scenes.BlinkStrip(true)},
        {"girlblink", scenes.BlinkStrip(false)},
        {"gamepause", scenes.GameButton("Pause", true, 0, 546, 54)},
        {"gameresume", scenes.GameButton("Resume", true, 0, 545, 55)},
        {"gameresumeoff", scenes.GameButton("Resume", false, 0, 545, 55)},
        {"gameback", scenes.GameButton("Menu", true, 688, 546, 54)},
        {"menustart", scenes.MenuButton("Start", true, 290, 56)},
        {"menuhighscores", scenes.MenuButton("Highscores", true, 290, 56)},
        {"menuoptions", scenes.MenuButton("Options", true, 290, 56)},
        {"menuexit", scenes.MenuButton("Exit", true, 290, 56)},
        {"menumore", scenes.MenuButton("more", true, 112, 40)},
    };
    for (const auto& [name, canvas] : pictures)
        if (!canvas.SavePng(images / (std::string(name) + ".png")))
            return Failed(std::string("cannot write picture ") + name);
    return true;
}

bool ContentGenerator::MakeFonts()
{
    const std::filesystem::path fonts = mFolders.data / "fonts";
    for (std::size_t i = 0; i < mFonts.size(); ++i) {
        const FontPlan& plan = kFonts[i];
        mFonts[i] = std::make_unique<BakedFont>(plan.display ? *mDisplayFace : *mTextFace, plan.style);
        const BakedFont& font = *mFonts[i];
        const std::string picture = std::string(plan.stem) + ".png";
        if (!font.Picture().SavePng(fonts / picture) ||
            !Platform::WriteFileAtomically(fonts / (std::string(plan.stem) + ".txt"),
                                           font.Descriptor(plan.title, picture)))
            return Failed(std::string("cannot write font ") + plan.stem);
    }
    return true;
}

bool ContentGenerator::MakeSounds()
{
    // One effect each as Ogg Vorbis and mu-law AU so that every decoder of the
    // game is used; the rest are 16-bit WAV.
    const std::filesystem::path sounds = mFolders.data / "sounds";
    for (const char* name : {"blit", "bonus", "button", "gameover", "level", "meet", "remove", "rotate"}) {
        const std::vector<float> samples = SoundEffects::Make(name);
        const std::string stem(name);
        std::string bytes;
        std::string file;
        if (stem == "meet") {
            bytes = AudioFiles::OggVorbis(samples, 1, Synth::kRate, 0.5f, 0x4d657731);
            file = stem + ".ogg";
        } else if (stem == "rotate") {
            // Half the rate, as telephone-style mu-law sounds usually are.
            std::vector<float> half;
            for (std::size_t i = 0; i + 1 < samples.size(); i += 2)
                half.push_back((samples[i] + samples[i + 1]) * 0.5f);
            bytes = AudioFiles::AuMuLaw(half, 1, Synth::kRate / 2);
            file = stem + ".au";
        } else {
            bytes = AudioFiles::Wav16(samples, 1, Synth::kRate);
            file = stem + ".wav";
        }
        if (samples.empty() || bytes.empty() || !Platform::WriteFileAtomically(sounds / file, bytes))
            return Failed("cannot write sound " + file);
    }
    return true;
}

bool ContentGenerator::MakeMusic()
{
    const std::filesystem::path music = mFolders.data / "music";
    const std::string menu = AudioFiles::OggVorbis(MenuSong::Render(), 2, Synth::kRate, 0.3f, 0x4d657732);
    if (menu.empty() || !Platform::WriteFileAtomically(music / "menu.ogg", menu))
        return Failed("cannot write music/menu.ogg");
    if (!Platform::WriteFileAtomically(music / "game.mod", GameSong::Compose()))
        return Failed("cannot write music/game.mod");
    return true;
}

bool ContentGenerator::CopyProperties()
{
    std::error_code error;
    if (!std::filesystem::is_directory(mFolders.properties, error))
        return true;
    for (const auto& entry : std::filesystem::directory_iterator(mFolders.properties, error)) {
        if (!entry.is_regular_file())
            continue;
        const auto bytes = Platform::ReadWholeFile(entry.path());
        if (!bytes || !Platform::WriteFileAtomically(mFolders.data / "properties" / entry.path().filename(),
                                                     std::span<const std::uint8_t>(*bytes)))
            return Failed("cannot copy " + entry.path().string());
    }
    return true;
}

bool ContentGenerator::InstallLicences()
{
    const std::pair<const char*, const char*> licences[] = {
        {"/usr/share/doc/fonts-comfortaa/copyright", "Comfortaa.txt"},
        {"/usr/share/doc/fonts-quicksand/copyright", "Quicksand.txt"},
    };
    for (const auto& [from, to] : licences) {
        const auto bytes = Platform::ReadWholeFile(from);
        if (!bytes)
            return Failed(std::string("font licence missing: ") + from);
        if (!Platform::WriteFileAtomically(mFolders.data / "licenses" / to,
                                           std::span<const std::uint8_t>(*bytes)))
            return Failed(std::string("cannot write licence ") + to);
    }
    return true;
}

bool ContentGenerator::MakeReview()
{
    if (mFolders.review.empty())
        return true;
    std::error_code error;
    std::filesystem::create_directories(mFolders.review, error);
    const ReviewSheets review(mFolders.data, *mTextFace, *mFonts[0], *mFonts[1], *mFonts[2], *mFonts[3]);
    if (!review.ContactSheet(mFolders.review / "contact_sheet.png") ||
        !review.TitleScreen(mFolders.review / "mock_title.png") ||
        !review.GameScreen(mFolders.review / "mock_game.png") ||
        !review.DialogScreen(mFolders.review / "mock_dialogs.png"))
        return Failed("cannot write the review pictures in " + mFolders.review.string());
    return true;
}

} // namespace Quill::Content
