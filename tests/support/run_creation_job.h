#pragma once

#include "core/creation_job/creation_job.h"
#include "core/playlist/playlist.h"

// Runs the creation job on the calling thread, as the command line's worker does, with the
// command line's choices in place of the stored settings; the messages (and their texts)
// go unseen. Returns the job's result.
class DiscardingMessageTarget : public platform::IMessageTarget {
public:
    void Post(platform::CMessage) override {}
};

inline int RunCreationJob(CPlaylist& playlist, const CCreationJob::Overrides& overrides,
                          std::string* errorText = nullptr) {
    DiscardingMessageTarget target;
    platform::CManualResetEvent cancel(false);
    platform::CManualResetEvent go(true);
    CCreationJob job(playlist, target, cancel, go);
    job.SetOverrides(overrides);
    const int result = job.Run();
    if (errorText != nullptr) {
        *errorText = job.GetErrorText();
    }
    return result;
}
