#pragma once

// Reader of the library's own effect files (".sfx", Ogg Vorbis data): loads
// and decodes the whole file in the background into interleaved signed 16-bit
// PCM.
//
// Threads: lives on the thread that creates it, which must run a Qt event
// loop. The load runs on Qt's global thread pool; its end is announced on the
// reader's thread, through its event loop, so that connections made right
// after construction see it: isReady() once every field is final, or
// loadFailed() when the file cannot be played. The accessors take no lock and
// may be called from any thread: until the load has stored everything they
// give an empty range and zeros. The destructor waits for a running load.

#include "sfx/DecodedAudioFile.h"
#include "sfx/SfxExport.h"

#include <QFuture>
#include <QString>

#include <atomic>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace vand::audio {

class SFX_EXPORT PackagedVorbisFile : public DecodedAudioFile
{
    Q_OBJECT

public:
    // Starts the load and returns at once. loadFailed has priority "error" and
    // a message naming the file and what is wrong with it ("SFX File Failed
    // to Open: <path>" when it cannot be read).
    explicit PackagedVorbisFile(std::string path);
    ~PackagedVorbisFile() override;

private:
    void LoadBuffer_();
    void announceFailure_(const QString& message);
    std::tuple<std::vector<unsigned char>, double, unsigned int> ExtractAudioData_() const;
    static std::vector<unsigned char> Decode_(const std::string& bytes, double& sampleRate, unsigned int& channels);

    std::mutex loadMutex_;
    std::atomic<bool> closing_{false};
    QFuture<void> load_;
};

} // namespace vand::audio
