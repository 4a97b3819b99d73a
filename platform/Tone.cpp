#include "platform/Tone.h"
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

QByteArray ToneSamples(int frequencyHz, int durationMs, int sampleRate)
{
    const qsizetype count = qsizetype(sampleRate) * std::max(durationMs, 0) / 1000;
    const qsizetype fade = std::min<qsizetype>(sampleRate / 200, count / 2);   // 5 ms
    const double amplitude = 0.5 * 32767;
    const double step = 2 * std::numbers::pi * frequencyHz / sampleRate;
    QByteArray out(count * qsizetype(sizeof(qint16)), Qt::Uninitialized);
    auto* s = reinterpret_cast<qint16*>(out.data());
    for (qsizetype i = 0; i < count; ++i) {
        double gain = 1.0;
        const qsizetype edge = std::min(i, count - 1 - i);
        if (edge < fade) gain = 0.5 - 0.5 * std::cos(std::numbers::pi * double(edge) / double(fade));
        s[i] = qint16(std::lround(amplitude * gain * std::sin(step * double(i))));
    }
    return out;
}

namespace {

// One tone being played: the sink pulls the samples from a buffer; the whole
// lives until the tone has had time to end, then removes itself.
class TonePlayer : public QObject {
public:
    TonePlayer(const QAudioDevice& device, const QAudioFormat& format, QByteArray samples, int durationMs)
        : QObject(QCoreApplication::instance()), m_samples(std::move(samples)), m_sink(device, format, this)
    {
        m_buffer.setBuffer(&m_samples);
        m_buffer.open(QIODevice::ReadOnly);
        // The sink reports Idle when it has read the buffer, which may be before
        // the sound system has played it all; so the end is timed.
        QTimer::singleShot(durationMs + 300, this, &QObject::deleteLater);
        connect(&m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State st) {
            if (st == QAudio::StoppedState && m_sink.error() != QAudio::NoError) deleteLater();
        });
    }
    ~TonePlayer() override { m_sink.stop(); }
    bool start()
    {
        m_sink.start(&m_buffer);
        return m_sink.error() == QAudio::NoError && m_sink.state() != QAudio::StoppedState;
    }

private:
    QByteArray m_samples;
    QBuffer m_buffer;
    QAudioSink m_sink;
};

QPointer<TonePlayer> g_playing;

} // namespace

bool PlayTone(int frequencyHz, int durationMs)
{
    delete g_playing.data();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return false;
    QAudioFormat format;
    format.setSampleRate(ToneSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format)) return false;
    auto* player = new TonePlayer(device, format, ToneSamples(frequencyHz, durationMs), durationMs);
    if (!player->start()) {
        delete player;
        return false;
    }
    g_playing = player;
    return true;
}
