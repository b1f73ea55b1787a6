#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace QuillTest {

namespace {

const char* const kXdgNames[3] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"};

} // namespace

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "mewbloom-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    mPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
}

std::filesystem::path TempDir::Write(std::string_view name, std::string_view bytes) const
{
    std::filesystem::path p = mPath / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Read(std::string_view name) const
{
    std::ifstream in(mPath / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ScopedXdgHome::ScopedXdgHome()
{
    for (int i = 0; i < 3; ++i) {
        if (const char* v = std::getenv(kXdgNames[i])) {
            mHad[i] = true;
            mOld[i] = v;
        }
    }
    const std::filesystem::path dirs[3] = {ConfigHome(), DataHome(), RuntimeDir()};
    for (int i = 0; i < 3; ++i) {
        std::filesystem::create_directories(dirs[i]);
        setenv(kXdgNames[i], dirs[i].c_str(), 1);
    }
}

ScopedXdgHome::~ScopedXdgHome()
{
    for (int i = 0; i < 3; ++i) {
        if (mHad[i])
            setenv(kXdgNames[i], mOld[i].c_str(), 1);
        else
            unsetenv(kXdgNames[i]);
    }
}

std::filesystem::path ExecutableDir()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path();
}

} // namespace QuillTest
