#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/QuillAppBase.h"
#include "framework/Widget.h"
#include "framework/WidgetManager.h"
#include "platform/FakeBackend.h"
#include "platform/FakePresenter.h"
#include "platform/FakeWindow.h"
#include "sound/MusicInterface.h"
#include "sound/SoundInstance.h"
#include "sound/SoundManager.h"
#include "tests/framework/WidgetProbe.h"

namespace QuillTest {

// Music that remembers the volumes it was given and counts its ticks.
class RecordingMusic : public Quill::MusicInterface {
public:
    void SetVolume(double volume) override { mVolumes.push_back(volume); }
    void Update() override { ++mUpdates; }
    void StopAllMusic() override { ++mStops; }

    std::vector<double> mVolumes;
    int mUpdates = 0;
    int mStops = 0;
};

// A sound manager that only remembers what it was told.
class RecordingSound : public Quill::SoundManager {
public:
    bool Initialized() override { return true; }
    bool LoadSound(int, const std::string&) override { return false; }
    void ReleaseSound(int) override {}
    void SetVolume(double volume) override { mVolumes.push_back(volume); }
    bool SetBaseVolume(int, double) override { return true; }
    bool SetBasePan(int, int) override { return true; }
    Quill::SoundInstance* GetSoundInstance(int) override { return nullptr; }
    void ReleaseSounds() override {}
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void Flush() override {}
    void SetCooperativeWindow(Quill::Platform::Window*, bool) override {}
    void StopAllSounds() override {}

    std::vector<double> mVolumes;
};

// The application with its hooks observable: it keeps the working directory,
// records its music, and reports every update, paint attempt and notify word.
class TestApp : public Quill::QuillAppBase {
public:
    using Quill::QuillAppBase::KillDialog;
    using Quill::QuillAppBase::PlaySample;
    using Quill::QuillAppBase::SwitchScreenMode;

    explicit TestApp(Quill::Platform::Backend* platform) : Quill::QuillAppBase(platform) {}

    bool ChangeDirHook(const std::string&) override { return true; }
    std::unique_ptr<Quill::MusicInterface> CreateMusicInterface(Quill::Platform::Window*) override
    {
        auto music = std::make_unique<RecordingMusic>();
        mMusic = music.get();
        return music;
    }
    void UpdateFrames() override
    {
        Quill::QuillAppBase::UpdateFrames();
        mPasses.push_back('U');
        if (mOnUpdate)
            mOnUpdate();
    }
    bool DrawDirty() override
    {
        mPasses.push_back('D');
        return Quill::QuillAppBase::DrawDirty();
    }
    void NotifyReceived(int word) override
    {
        mNotifyWords.push_back(word);
        if (mOnNotify)
            mOnNotify();
    }
    void LoadingThreadProc() override
    {
        if (mLoadingBody)
            mLoadingBody();
    }
    void LoadingThreadCompleted() override { ++mLoadedCalls; }
    void PreDDInterfaceInitHook() override { ++mPreInitCalls; }
    void GotFocus() override { mLog.push_back("app gotfocus"); }
    void LostFocus() override { mLog.push_back("app lostfocus"); }

    RecordingMusic* mMusic = nullptr;
    // 'U' for each update tick, 'D' for each paint attempt, in order.
    std::string mPasses;
    std::function<void()> mOnUpdate;
    std::function<void()> mOnNotify;
    std::function<void()> mLoadingBody;
    std::vector<int> mNotifyWords;
    int mLoadedCalls = 0;
    int mPreInitCalls = 0;
    std::vector<std::string> mLog;
};

// A probe that also records the raw click counts the manager was given.
class ClickProbe : public ProbeWidget {
public:
    using ProbeWidget::MouseDown;
    using ProbeWidget::MouseUp;
    using ProbeWidget::ProbeWidget;

    void MouseDown(int x, int y, int clickCount) override
    {
        mDownCounts.push_back(clickCount);
        ProbeWidget::MouseDown(x, y, clickCount);
    }
    void MouseUp(int x, int y, int clickCount) override
    {
        mUpCounts.push_back(clickCount);
        ProbeWidget::MouseUp(x, y, clickCount);
    }

    std::vector<int> mDownCounts;
    std::vector<int> mUpCounts;
};

// A product name no other test (or test process) uses, for the single-instance lock.
std::string UniqueProductName(const std::string& base);

// A fake platform and an initialised application on it, with its own
// settings key. The widgets given to Own are deleted after the application.
class AppFixtureBase {
public:
    AppFixtureBase();
    virtual ~AppFixtureBase();

    // Makes and initialises the application (settings already stored are read).
    TestApp& StartApp(const std::string& commandLine = {});
    // A probe covering the given area, added to the manager (and given the focus if asked).
    ClickProbe& AddProbe(const std::string& name, int x, int y, int width, int height, bool focus = false);

    [[nodiscard]] Quill::Platform::FakeWindow* Window() const { return mPlatform.GetLastWindow(); }
    [[nodiscard]] Quill::Platform::FakePresenter* Presenter() const { return mPlatform.GetLastPresenter(); }
    // Runs passes of the loop (allowing sleeps, which move the fake clock) until the
    // clock has advanced by ms or the application shut down.
    void RunFor(std::int64_t ms);
    // Delivers a message the way the message pump does.
    void Deliver(const Quill::Platform::WindowMessage& message);

    Quill::Platform::FakeBackend mPlatform;
    std::unique_ptr<TestApp> mApp;
    std::string mRegKey;
    std::vector<std::string> mLog;
    std::vector<std::unique_ptr<ClickProbe>> mProbes;
};

} // namespace QuillTest
