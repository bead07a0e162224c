#include "game/script/script_start.h"

#include <new>

int StartScriptEngine(ScriptStartHost& host, std::unique_ptr<ScriptEngine>& engine) {
    engine.reset();
    engine.reset(new (std::nothrow) ScriptEngine(host.SoundFadeScheduler()));
    if (!engine) {
        host.ShowStopMessage("スクリプトを実行するためのメモリを確保出来ません");
        return 1;
    }
    engine->SetSaveFolder(host.SaveFolder());
    // Compiled execution is switched on before the init files, so that the function library is
    // compiled with them; when it cannot be had the scripts run interpreted.
    if (host.UseCompiledScripts()) {
        engine->Context().SetUseCompiled(1);
    }
    if (engine->LoadInitFiles("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true) != 0) {
        host.ShowStopMessage("スクリプト初期化ファイルのロードに失敗");
        return 2;
    }
    // Without a usable voice table the game runs without voices.
    engine->LoadVoiceTable("SCRIPT\\VOICEINF.DAT");
    const int result = engine->LoadModule("MAIN", nullptr);
    switch (result) {
    case kModuleLoaded:
        return 0;
    case kModuleFileMissing:
        host.ShowStopMessage("メインスクリプトを開けません");
        return 3;
    case kModuleBadFile:
        host.ShowStopMessage("メインスクリプトが不正です");
        return 4;
    case kModuleLinkFailed:
        host.ShowStopMessage("デバッグモード用のスクリプトです");
        return 5;
    default:
        return result + 2;
    }
}
