// The second copy of the program for the single-instance test: started by the
// test with the first copy's product name and runtime folder in its environment.
// Init must hand over to the first copy and end this process with status 0; if
// Init returns, this copy did not see the first one.
#include <cstdlib>
#include <string>

#include "framework/QuillAppBase.h"

namespace {

class SecondCopyApp : public Quill::QuillAppBase {
public:
    SecondCopyApp() : Quill::QuillAppBase(nullptr) {}
    // Stay in the test's working folder.
    bool ChangeDirHook(const std::string&) override { return true; }
};

} // namespace

int main()
{
    const char* product = std::getenv("QUILL_TEST_SECOND_COPY_PRODUCT");
    const char* runtime = std::getenv("QUILL_TEST_SECOND_COPY_RUNTIME");
    if (product == nullptr || runtime == nullptr)
        return 3;
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SecondCopyApp app;
    app.mProdName = product;
    app.SetCommandLine("mewbloom");
    app.Init();
    std::_Exit(7);
}
