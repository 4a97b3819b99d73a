#pragma once
// A pure tone through the sound system, generated here and played in the
// background so the windows keep moving while it sounds.
#include <QByteArray>

constexpr int ToneSampleRate = 48000;

// A sine of the given pitch and length as mono signed 16-bit samples in the
// machine's byte order, at half full scale, with short fades at both ends so
// it starts and stops without a click.
QByteArray ToneSamples(int frequencyHz, int durationMs, int sampleRate = ToneSampleRate);

// Starts the tone on the default sound output and returns at once. A tone
// still sounding is cut off and the new one starts from its beginning.
// False when there is no output device or it refuses the tone.
bool PlayTone(int frequencyHz, int durationMs);
