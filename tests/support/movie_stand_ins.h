// The test exports of the stand-in movie DLLs (tests/plugins/movie_plugins), reached through
// the module a holder loaded, and the counting of calls in their log.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace testsupport {

class MovieStandIn {
public:
    // The loaded DLL of that file name (e.g. "DS_SPRITE.DLL"), or none.
    explicit MovieStandIn(const char* fileName) : m_module(GetModuleHandleA(fileName)) {}

    bool Loaded() const { return m_module != nullptr; }
    void StepFrames(std::int32_t n) const { Call<void (*)(std::int32_t)>("StandInStepFrames")(n); }
    void QueueEvent(std::int32_t code) const { Call<void (*)(std::int32_t)>("StandInQueueEvent")(code); }
    std::string Log() const {
        auto read = Call<std::int32_t (*)(char*, std::int32_t)>("StandInCallLog");
        std::string text(static_cast<std::size_t>(read(nullptr, 0)) + 1, '\0');
        read(&text[0], static_cast<std::int32_t>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }
    void ClearLog() const { Call<void (*)()>("StandInClearLog")(); }
    // Lines of the log that start with `call` (e.g. "Play" counts "Play" but not "PlayX").
    int Count(const std::string& call) const {
        const std::string log = Log();
        int count = 0;
        std::size_t start = 0;
        while (start < log.size()) {
            const std::size_t end = log.find('\n', start);
            const std::string line = log.substr(start, end - start);
            if (line.compare(0, call.size(), call) == 0 &&
                (line.size() == call.size() || line[call.size()] == '('))
                ++count;
            start = end == std::string::npos ? log.size() : end + 1;
        }
        return count;
    }
    std::int32_t LiveStreams() const { return Call<std::int32_t (*)()>("StandInLiveStreams")(); }
    std::int32_t LiveMovies() const { return Call<std::int32_t (*)()>("StandInLiveMovies")(); }
    std::int32_t LiveThreads() const { return Call<std::int32_t (*)()>("StandInLiveThreads")(); }

private:
    template <class Function>
    Function Call(const char* name) const {
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(m_module, name)));
    }

    HMODULE m_module;
};

}  // namespace testsupport
