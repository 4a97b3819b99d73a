// The alert tone's samples: pitch and length measured from the generated buffer.
#include "platform/Tone.h"
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <span>

TEST(ToneSamples, PitchLengthAndLoudness)
{
    for (const auto [hz, ms, rate] : {std::array{2000, 2000, ToneSampleRate}, {2000, 2000, 44100}, {440, 250, ToneSampleRate}}) {
        SCOPED_TRACE(testing::Message() << hz << " Hz, " << ms << " ms at " << rate);
        const QByteArray bytes = ToneSamples(hz, ms, rate);
        const std::span s(reinterpret_cast<const qint16*>(bytes.constData()), size_t(bytes.size()) / 2);
        ASSERT_EQ(bytes.size() % 2, 0);
        const double seconds = ms / 1000.0;
        EXPECT_EQ(double(s.size()) / rate, seconds);
        // Each period crosses zero twice; samples that round to zero are passed over.
        int changes = 0, sign = 0, peak = 0;
        for (const qint16 v : s) {
            peak = std::max(peak, std::abs(int(v)));
            const int sg = (v > 0) - (v < 0);
            if (sg && sign && sg != sign) ++changes;
            if (sg) sign = sg;
        }
        EXPECT_NEAR(changes / 2.0 / seconds, hz, 1.0 / seconds);
        EXPECT_GT(peak, 12000);                            // loud enough to hear...
        EXPECT_LT(peak, 32767);                            // ...and never clipped
        for (size_t i = 0; i < 10; ++i)                    // faded in and out: no click
            EXPECT_LT(std::max(std::abs(int(s[i])), std::abs(int(s[s.size() - 1 - i]))), 328) << i;
    }
}
