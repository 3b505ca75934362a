#pragma once

#include <QSoundEffect>

#include <map>
#include <memory>
#include <string>

namespace lettore {

// Plays sound files with Qt Multimedia, as the registry's sound player.
// Each file is loaded once and kept, so a reading does not wait for the
// disk; playing a sound that is still playing starts it again. Without an
// audio device, or with a file Qt cannot decode, nothing is heard and
// nothing fails.
class QtSound {
public:
    // async: return at once; otherwise return when the sound has ended
    // (at most SyncLimitMs later).
    void play(const std::string& file, bool async);

    static constexpr int SyncLimitMs = 10000;

private:
    QSoundEffect& effect(const std::string& file);

    std::map<std::string, std::unique_ptr<QSoundEffect>> m_effects;
};

}  // namespace lettore
