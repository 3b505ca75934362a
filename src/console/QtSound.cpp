#include "QtSound.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QTimer>
#include <QUrl>

namespace lettore {

QSoundEffect& QtSound::effect(const std::string& file)
{
    // Keyed by the absolute path: the name is relative to the current
    // directory, which may change between two readings.
    const QString path = QFileInfo(QString::fromStdString(file)).absoluteFilePath();
    auto& slot = m_effects[path.toStdString()];
    if (!slot) {
        slot = std::make_unique<QSoundEffect>();
        slot->setSource(QUrl::fromLocalFile(path));
    }
    return *slot;
}

void QtSound::play(const std::string& file, bool async)
{
    // Without an output device nothing would ever play or end.
    if (QMediaDevices::defaultAudioOutput().isNull())
        return;
    QSoundEffect& sound = effect(file);
    if (sound.status() == QSoundEffect::Error)
        return;
    sound.stop();
    sound.play();
    if (async)
        return;
    QEventLoop loop;
    QObject::connect(&sound, &QSoundEffect::playingChanged, &loop, [&] {
        if (!sound.isPlaying())
            loop.quit();
    });
    QObject::connect(&sound, &QSoundEffect::statusChanged, &loop, [&] {
        if (sound.status() == QSoundEffect::Error)
            loop.quit();
    });
    QTimer::singleShot(SyncLimitMs, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace lettore
