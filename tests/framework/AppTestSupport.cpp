#include "tests/framework/AppTestSupport.h"

#include <atomic>
#include <unistd.h>

namespace QuillTest {

std::string UniqueProductName(const std::string& base)
{
    static std::atomic<int> counter{0};
    return base + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

AppFixtureBase::AppFixtureBase() : mRegKey("QuillTest\\" + UniqueProductName("App")) {}

AppFixtureBase::~AppFixtureBase()
{
    // Widgets go after the application that may still refer to them.
    mApp.reset();
    mProbes.clear();
}

TestApp& AppFixtureBase::StartApp(const std::string& commandLine)
{
    mApp = std::make_unique<TestApp>(&mPlatform);
    mApp->mProdName = UniqueProductName("AppTest");
    mApp->mRegKey = mRegKey;
    mApp->mWidth = 800;
    mApp->mHeight = 600;
    mApp->SetCommandLine("mewbloom " + commandLine);
    mApp->Init();
    return *mApp;
}

ClickProbe& AppFixtureBase::AddProbe(const std::string& name, int x, int y, int width, int height, bool focus)
{
    mProbes.push_back(std::make_unique<ClickProbe>(name, &mLog, x, y, width, height));
    ClickProbe& probe = *mProbes.back();
    probe.mWantsFocus = focus;
    mApp->mWidgetManager->AddWidget(&probe);
    if (focus)
        mApp->mWidgetManager->SetFocus(&probe);
    return probe;
}

void AppFixtureBase::RunFor(std::int64_t ms)
{
    Quill::Platform::FakeClock& clock = mPlatform.GetFakeClock();
    const std::int64_t end = clock.Now() + ms;
    while (clock.Now() < end && !mApp->mShutdown) {
        while (auto message = mPlatform.PollMessage())
            mApp->HandleWindowMessage(*message);
        mApp->ProcessDeferredMessages();
        mApp->Process(true);
    }
}

void AppFixtureBase::Deliver(const Quill::Platform::WindowMessage& message)
{
    mApp->HandleWindowMessage(message);
}

} // namespace QuillTest
