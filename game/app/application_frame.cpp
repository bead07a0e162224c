// The frame functions and the run loops: one frame presents the last one, pumps or waits, runs
// the due timed tasks, waits for the frame time, polls input and draws; the run loop (single-
// threaded) or the game thread's step (threaded) runs as many script steps as the frame says.
#include <cstring>

#include "game/app/application.h"
#include "game/commands/device_command_services.h"

namespace {

namespace B3 = SettingsFiles::Block3;

const char kRestartFailed[] = "スクリプト割り込みに失敗しました";

// The message of a script step that ended the run, null for none.
const char* StepFailureText(int result) {
    switch (result) {
    case kStepInvalidScript: return "不正なスクリプトを実行しました";
    case kStepJumpFailed: return "Jump命令でスクリプトのロードに失敗";
    case kStepCallFailed: return "Call命令でスクリプトのロードに失敗";
    default: return nullptr;
    }
}

}  // namespace

std::int32_t SingleFrameResult(std::int32_t catchUp) { return catchUp >= 1 && catchUp <= 4 ? catchUp : -1; }

std::int32_t WorkerScriptSteps(std::int32_t catchUp) { return 1 + (catchUp >= 1 && catchUp <= 4 ? catchUp : 0); }

std::uint32_t Application::SchedulerNow() { return m_sources.frameClock->Milliseconds(); }

bool Application::MovieCovers() { return moviePlaying != 0; }

bool Application::Inactive() {
    if (active) return false;
    const bool exclusiveFullScreen = Screen() != nullptr && Screen()->IsFullScreen() && Screen()->HoldsExclusiveLevel();
    return m_userCfg.block2[13] != 0 || restorePending != 0 || exclusiveFullScreen;
}

void Application::IdleSleep(bool threaded) {
    const std::uint32_t wait = m_frameRate.SuggestedWait();
    if (!threaded) {
        Sleep(wait);
    } else if (wait == 0 && m_frameRate.UsesCounter()) {
        Sleep(0);
    } else {
        GameThread().WaitStop(wait);
    }
}

std::int32_t Application::PresentSingle() {
    if (m_screenFrame->PresentGdi() != 2) return 1;
    if (Screen()->RestoreLostSurfaces() <= 1) return 1;
    fatalError = 1;
    return 0;
}

// False when the redraw lost the surfaces for good (the fatal-error byte is set).
bool Application::BusyRedraw(bool threaded, bool direct3D) {
    if (direct3D) {
        if (threaded && MovieCovers() && Screen()->HasPrimarySurface()) return true;
        ScopedLock lock(ScreenLock());
        m_scheduler2.RunDue(SchedulerNow());
        m_screenFrame->Present();
        return true;
    }
    if (MovieCovers()) return true;
    ScopedLock lock(ScreenLock());
    if (pixelFormatRefresh) m_screenFrame->UpdatePixelFormat();
    m_scheduler2.RunDue(SchedulerNow());
    ClearScreenForFrame();
    m_screenFrame->DrawDeviceDrawables();
    if (threaded) {
        m_screenFrame->PresentGdi();
        return true;
    }
    return PresentSingle() != 0;
}

std::int32_t Application::DueFrame(bool threaded, bool direct3D) {
    if (!direct3D && m_screenFrame->VSyncMode() != 0 && (!threaded || Settings().block1[kDisplayCanvas] == 0)) {
        const std::uint32_t wait = shortVSyncSleep ? 0 : 3;
        if (threaded && wait != 0) GameThread().WaitStop(wait);
        else Sleep(wait);
    }
    TrackCursor();
    {
        ScopedLock lock(ScreenLock());
        Input().Poll();
        if (direct3D) {
            if (!(threaded && MovieCovers() && Screen()->HasPrimarySurface())) {
                m_scheduler2.RunDue(SchedulerNow());
                m_screenFrame->Present();
            }
        } else if (!MovieCovers()) {
            if (pixelFormatRefresh) m_screenFrame->UpdatePixelFormat();
            m_scheduler2.RunDue(SchedulerNow());
            ClearScreenForFrame();
            m_screenFrame->DrawDeviceDrawables();
        }
    }
    const std::int32_t catchUp = m_frameRate.CatchUpCount();
    if (catchUp != 0 && m_frameRate.SuggestedWait() != 0) Sleep(m_frameRate.SuggestedWait());
    return catchUp;
}

// True while the layer tasks are paused (the frame sleeps instead of running).
bool Application::RunLayerPause() {
    switch (layerPause) {
    case 1:
        layerPause = 2;
        m_scheduler2.PauseKind(-1);
        return true;
    case 2: return true;
    case 3:
        layerPause = 0;
        m_scheduler2.ResumeKind(-1);
        return false;
    default: return false;
    }
}

std::int32_t Application::FrameLoopSingle(bool direct3D) {
    if (!direct3D && !MovieCovers() && PresentSingle() == 0) return 0;
    for (;;) {
        if (PumpMessages(m_userCfg.block3[B3::kSystemCursor] != 0) != 0 || QuitReceived()) return 0;
        if (fatalError != 0 || restartRequest != 0) return 0;
        m_scheduler1.RunDue(SchedulerNow());
        if (Inactive()) {
            WaitMessage();
            continue;
        }
        if (m_frameRate.WaitFrame()) return SingleFrameResult(DueFrame(false, direct3D));
        if (BusyCount() > 0) {
            if (!BusyRedraw(false, direct3D)) return 0;
        } else {
            IdleSleep(false);
        }
    }
}

std::int32_t Application::FrameLoopWorker(bool direct3D) {
    if (!direct3D && !MovieCovers()) {
        ScopedLock lock(ScreenLock());
        m_screenFrame->PresentGdi();
    }
    for (;;) {
        if (!GameThread().KeepRunning()) return 0;
        if (pauseRequest != 0) {
            InterlockedCompareExchange(&pauseRequest, 2, 1);
            Sleep(50);
            continue;
        }
        if (restartRequest != 0) return 0;
        {
            ScopedLock lock(m_soundLock);
            m_scheduler1.RunDue(SchedulerNow());
        }
        if (RunLayerPause() || Inactive()) {
            Sleep(50);
            continue;
        }
        if (fatalError != 0) return 0;
        if (m_frameRate.WaitFrame()) return SingleFrameResult(DueFrame(true, direct3D));
        if (BusyCount() > 0) BusyRedraw(true, direct3D);
        else IdleSleep(true);
    }
}

std::int32_t Application::FrameSingle() { return FrameLoopSingle(false); }
std::int32_t Application::FrameSingleDirect3D() { return FrameLoopSingle(true); }
std::int32_t Application::FrameWorker() { return FrameLoopWorker(false); }
std::int32_t Application::FrameWorkerDirect3D() { return FrameLoopWorker(true); }

std::int32_t Application::StartScripts() {
    m_frameRate.SetSkipEnabled(m_userCfg.block3[B3::kFrameSkip] != 0);
    if (StartScriptEngine(*this, m_engine) != 0) return 1;
    m_engine->SetAppCfg(m_appCfg.bytes);
    m_engine->SettingsServices().appCfg = m_appCfg.bytes;
    m_partGroup.SetSoundManager(&m_engine->Sound());
    ApplySoundSettings();
    const bool direct3D = Screen() != nullptr && Screen()->HasDirect3DDevice();
    if (ThreadedMode()) m_frame = direct3D ? &Application::FrameWorkerDirect3D : &Application::FrameWorker;
    else m_frame = direct3D ? &Application::FrameSingleDirect3D : &Application::FrameSingle;
    return 0;
}

std::int32_t Application::RestartMain(std::uint32_t argument) {
    const std::int32_t result = m_engine->RestartMain(argument);
    while (m_forceVSyncCount > 0) ForceVSyncEnd();
    while (m_preciseWaitCount > 0) SuspendPreciseWaitEnd();
    return result;
}

bool Application::ServeRestart() {
    const std::uint8_t request = restartRequest;
    if (request == 0) return true;
    restartRequest = 0;
    if (request > 2) return true;
    if (RestartMain(request - 1u) == 0) return true;
    ShowStopMessage(kRestartFailed);
    return false;
}

std::int32_t Application::RunOnce() {
    if (StartScripts() != 0) return 0;
    for (;;) {
        const std::int32_t frames = RunFrame();
        if (frames == 0) {
            // A frame function also ends on a restart request (the modal loops unwind on it):
            // the run serves the request instead of ending.
            if (restartRequest == 0 || QuitReceived() || fatalError != 0) return 0;
            if (!ServeRestart()) return 0;
            continue;
        }
        for (std::int32_t step = 0; step < (frames < 0 ? 1 : frames); ++step) {
            const int result = m_engine->Step();
            if (result != kStepYielded) {
                if (const char* text = StepFailureText(result)) ShowStopMessage(text);
                return 0;
            }
            if (!ServeRestart()) return 0;
        }
    }
}

std::int32_t Application::WorkerStart() { return StartScripts(); }

std::int32_t Application::FrameStep() {
    if (pauseRequest != 0) {
        InterlockedCompareExchange(&pauseRequest, 2, 1);
        Sleep(50);
        return 0;
    }
    {
        ScopedLock lock(m_soundLock);
        m_scheduler1.RunDue(SchedulerNow());
    }
    if (RunLayerPause() || Inactive()) {
        Sleep(50);
        return 0;
    }
    if (fatalError != 0) return 1;
    const bool direct3D = Screen()->HasDirect3DDevice();
    if (!m_frameRate.WaitFrame()) {
        if (BusyCount() > 0) BusyRedraw(true, direct3D);
        else IdleSleep(true);
        return 0;
    }
    const std::int32_t steps = WorkerScriptSteps(DueFrame(true, direct3D));
    for (std::int32_t step = 0; step < steps; ++step) {
        const int result = m_engine->Step();
        if (result == kStepEnded) return -1;
        if (result != kStepYielded) {
            if (const char* text = StepFailureText(result)) ShowStopMessage(text);
            return result + 1;
        }
        if (restartRequest != 0) return ServeRestart() ? 0 : 6;
    }
    ScopedLock lock(ScreenLock());
    if (direct3D) {
        if (!(MovieCovers() && Screen()->HasPrimarySurface())) {
            m_scheduler2.RunDue(SchedulerNow());
            m_screenFrame->Present();
        }
    } else if (!MovieCovers()) {
        m_screenFrame->PresentGdi();
    }
    return 0;
}

void Application::WorkerEnd() {
    if (g_currentSoundDevice == &m_soundDevice) m_soundDevice.DestroyAllBuffers();
}
