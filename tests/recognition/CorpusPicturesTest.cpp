// A seed of the screen generator draws one picture, whatever process draws
// it: the tests' (which sees only the fonts they install) and a benchmark's
// (which sees every font of the machine) read the same screens.
#include "corpus/GeneratedScreens.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace klipo::test;

namespace {

constexpr quint32 kSeeds = 80;

// The fingerprints a fresh process draws, with the machine's own fonts.
QStringList drawnElsewhere()
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FONTCONFIG_FILE"));
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(KLIPO_CORPUS_PROBE), {QStringLiteral("1-%1").arg(kSeeds)});
    if (!probe.waitForFinished(240000) || probe.exitCode() != 0) {
        ADD_FAILURE() << "the probe failed: " << probe.readAllStandardError().constData();
        return {};
    }
    return QString::fromLatin1(probe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The faces are registered before any test draws: what other tests of this
// program draw does not depend on whether a screen was generated before.
class CorpusFaces : public ::testing::Environment {
public:
    void SetUp() override { useCorpusFaces(); }
};
[[maybe_unused]] ::testing::Environment* const corpusFaces = ::testing::AddGlobalTestEnvironment(new CorpusFaces);

}  // namespace

TEST(CorpusPictures, aSeedDrawsTheSamePictureInAnyProcess_WhateverFontsItIsConfiguredWith)
{
    QStringList here;
    for (quint32 seed = 1; seed <= kSeeds; ++seed)
        here << QStringLiteral("%1 %2").arg(seed).arg(QString::fromLatin1(screenFingerprint(generateScreen(seed))));
    const QStringList first = drawnElsewhere();
    const QStringList second = drawnElsewhere();
    ASSERT_EQ(first.size(), here.size());
    EXPECT_EQ(first, second);
    for (qsizetype i = 0; i < here.size(); ++i) EXPECT_EQ(here[i], first[i]) << "seed " << i + 1;
}
