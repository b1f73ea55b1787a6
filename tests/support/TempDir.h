#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace QuillTest {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away. Tests write only here.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return mPath; }
    // Path of a file inside the folder.
    [[nodiscard]] std::filesystem::path operator/(std::string_view name) const { return mPath / name; }
    // Writes a file inside the folder (creating sub-folders) and returns its path.
    std::filesystem::path Write(std::string_view name, std::string_view bytes) const;
    // Whole content of a file, or empty when missing.
    [[nodiscard]] std::string Read(std::string_view name) const;

private:
    std::filesystem::path mPath;
};

// Points the settings, data and runtime folders (XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_RUNTIME_DIR) at sub-folders of a temporary folder for the object's life,
// restoring the previous values afterwards.
class ScopedXdgHome {
public:
    ScopedXdgHome();
    ~ScopedXdgHome();
    ScopedXdgHome(const ScopedXdgHome&) = delete;
    ScopedXdgHome& operator=(const ScopedXdgHome&) = delete;

    [[nodiscard]] const TempDir& Root() const { return mRoot; }
    [[nodiscard]] std::filesystem::path ConfigHome() const { return mRoot.Path() / "config"; }
    [[nodiscard]] std::filesystem::path DataHome() const { return mRoot.Path() / "data"; }
    [[nodiscard]] std::filesystem::path RuntimeDir() const { return mRoot.Path() / "runtime"; }

private:
    TempDir mRoot;
    std::string mOld[3];
    bool mHad[3] = {};
};

// Folder of the running test executable: the build writes test data there.
std::filesystem::path ExecutableDir();

} // namespace QuillTest
